#include "platform/system/PrivilegeSeparation.h"

#include "platform/system/CarriedEnvironment.h"
#include "platform/system/PrivilegedHelperImage.h"
#include "platform/system/PrivilegedHelperProtocol.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// This file runs before any library of the program is initialised: it uses the C library and
// nothing else, and says what went wrong with write(2).

namespace {

int sHelperSocket = -1;

bool writeAll(int descriptor, const void* data, size_t length)
{
    auto* bytes = static_cast<const unsigned char*>(data);
    while (length > 0) {
        ssize_t written = write(descriptor, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= size_t(written);
    }
    return true;
}

void say(int descriptor, const char* text)
{
    writeAll(descriptor, text, std::strlen(text));
}

[[noreturn]] void stop(const char* program, const char* what, const char* step, int error)
{
    const char* slash = program ? std::strrchr(program, '/') : nullptr;
    say(STDERR_FILENO, slash ? slash + 1 : (program ? program : "Zentrova"));
    say(STDERR_FILENO, what);
    say(STDERR_FILENO, step);
    if (error) {
        say(STDERR_FILENO, ": ");
        say(STDERR_FILENO, std::strerror(error));
    }
    say(STDERR_FILENO, "\n");
    _exit(1);
}

bool capabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3], bool set)
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    return syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

bool holdsAnyCapability()
{
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] {};
    if (!capabilities(data, false))
        return true;
    for (auto& word : data) {
        if (word.permitted || word.effective || word.inheritable)
            return true;
    }
    return false;
}

// In the child that becomes the helper; returns only when it could not.
void becomeHelper(int helperEnd, char** environment, pid_t app)
{
    // Nothing of the app's is left open but the helper's end of the socket, at the place the
    // helper looks for it, kept open across the exec below.
    if (helperEnd != privileged_helper::kDescriptor) {
        if (dup2(helperEnd, privileged_helper::kDescriptor) < 0)
            return;
    }
    if (fcntl(privileged_helper::kDescriptor, F_SETFD, 0) != 0)
        return;
    for (int descriptor = 0; descriptor < privileged_helper::kDescriptor; ++descriptor)
        close(descriptor);
    if (close_range(privileged_helper::kDescriptor + 1, ~0U, 0) != 0) {
        long limit = sysconf(_SC_OPEN_MAX);
        for (long descriptor = privileged_helper::kDescriptor + 1; descriptor < limit; ++descriptor)
            close(int(descriptor));
    }

    // Every signal at its default and none blocked, whatever the user started the program with.
    for (int signal = 1; signal < NSIG; ++signal)
        std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);

    // Root through and through where root is what the program was given, so that the helper is
    // not the user's to signal and its shell does not give up what it was started with.
    if (geteuid() == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(0, 0, 0) != 0 || setresuid(0, 0, 0) != 0)
            return;
    }
    // The helper ends with the app, also when the app is killed; an app already gone by now
    // would never be noticed otherwise.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != app)
        return;

    std::array<const char*, carried_environment::kMaximumEntries + 1> clean {};
    carried_environment::select(environment, clean);

    auto image = privilegedHelperImage();
    int executable = memfd_create("zentrova-privileged-helper", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (executable < 0 || !writeAll(executable, image.data(), image.size()))
        return;
    fcntl(executable, F_ADD_SEALS, F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE);
    char name[] = "zentrova-privileged-helper";
    char* arguments[] = { name, nullptr };
    fexecve(executable, arguments, const_cast<char* const*>(clean.data()));
}

} // namespace

int privilegedHelperSocket()
{
    return sHelperSocket;
}

bool holdsRaisedPrivilege()
{
    uid_t realUser, effectiveUser, savedUser;
    gid_t realGroup, effectiveGroup, savedGroup;
    if (getresuid(&realUser, &effectiveUser, &savedUser) != 0 || getresgid(&realGroup, &effectiveGroup, &savedGroup) != 0)
        return true;
    if (realUser != effectiveUser || realUser != savedUser || realGroup != effectiveGroup || realGroup != savedGroup)
        return true;
    // Root holds every capability anyway; anyone else holds one only by the program file's gift.
    return realUser != 0 && holdsAnyCapability();
}

int startPrivilegedHelper(char** environment, const char*& failure, pid_t* helperProcess)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        failure = "socketpair";
        return -1;
    }
    pid_t app = getpid();
    pid_t helper = fork();
    if (helper < 0) {
        failure = "fork";
        close(ends[0]);
        close(ends[1]);
        return -1;
    }
    if (helper == 0) {
        close(ends[0]);
        becomeHelper(ends[1], environment, app);
        _exit(127);
    }
    close(ends[1]);

    // The helper says it is listening; if it could not start, its end closes instead.
    privileged_helper::Reply ready {};
    ssize_t length;
    do
        length = recv(ends[0], &ready, sizeof ready, 0);
    while (length < 0 && errno == EINTR);
    if (length != ssize_t(sizeof ready) || ready.outcome != privileged_helper::Outcome::Ready) {
        failure = "it ended before it was ready";
        errno = 0;
        close(ends[0]);
        waitpid(helper, nullptr, 0);
        return -1;
    }
    if (helperProcess)
        *helperProcess = helper;
    return ends[0];
}

const char* dropRaisedPrivilege()
{
    uid_t user = getuid();
    gid_t group = getgid();
    // The user's own supplementary groups, as the program was started with them: a set-user-ID
    // start adds none, and this makes sure nothing else is left.
    if (geteuid() == 0) {
        int count = getgroups(0, nullptr);
        if (count < 0)
            return "getgroups";
        gid_t* groups = static_cast<gid_t*>(std::malloc(sizeof(gid_t) * size_t(count > 0 ? count : 1)));
        if (!groups)
            return "getgroups";
        count = getgroups(count, groups);
        int result = count < 0 ? -1 : setgroups(size_t(count), groups);
        int error = errno;
        std::free(groups);
        errno = error;
        if (result != 0)
            return "setgroups";
    }
    if (setresgid(group, group, group) != 0)
        return "setresgid";
    if (setresuid(user, user, user) != 0)
        return "setresuid";
    uid_t realUser, effectiveUser, savedUser;
    gid_t realGroup, effectiveGroup, savedGroup;
    if (getresuid(&realUser, &effectiveUser, &savedUser) != 0 || realUser != user || effectiveUser != user || savedUser != user)
        return "getresuid";
    if (getresgid(&realGroup, &effectiveGroup, &savedGroup) != 0 || realGroup != group || effectiveGroup != group
        || savedGroup != group)
        return "getresgid";
    if (user != 0) {
        // Capabilities a file gave the program are not dropped with the IDs.
        __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] {};
        if (holdsAnyCapability() && !capabilities(none, true))
            return "capset";
        if (holdsAnyCapability())
            return "capget";
        if (setuid(0) == 0 || seteuid(0) == 0)
            return "root could be taken back";
    }
    return nullptr;
}

void separatePrivilege(int argc, char** argv, char** environment)
{
    if (!holdsRaisedPrivilege())
        return;
    const char* program = argc > 0 ? argv[0] : nullptr;
    bool dryRun = false;
    for (int index = 1; index < argc; ++index)
        dryRun = dryRun || std::strcmp(argv[index], "--dry-run") == 0;
    if (!dryRun) {
        const char* failure = nullptr;
        int helper = startPrivilegedHelper(environment, failure);
        if (helper < 0)
            stop(program, ": cannot start its privileged helper: ", failure, errno);
        sHelperSocket = helper;
    }
    if (const char* failure = dropRaisedPrivilege())
        stop(program, ": cannot give up the raised privilege it was started with: ", failure, errno);
}
