#include "platform/system/System.h"

#include "platform/system/CarriedEnvironment.h"
#include "platform/system/PrivilegeSeparation.h"
#include "platform/system/PrivilegedHelperProtocol.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/auxv.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kURLOpener = "xdg-open";

// The argument and environment arrays that posix_spawn takes point into these strings, so the
// strings must outlive the call.
std::vector<char*> pointerArray(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

// A child starts with no signal blocked and every signal at its default action, whatever the app
// has done with its own: a shell that inherits a blocked SIGCHLD or an ignored SIGINT behaves
// unlike one started from a terminal.
class SpawnAttributes {
public:
    SpawnAttributes()
    {
        if (posix_spawnattr_init(&_attributes))
            return;
        _valid = true;
        sigset_t noSignals;
        sigemptyset(&noSignals);
        sigset_t allSignals;
        sigfillset(&allSignals);
        posix_spawnattr_setsigmask(&_attributes, &noSignals);
        posix_spawnattr_setsigdefault(&_attributes, &allSignals);
        posix_spawnattr_setflags(&_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }

    ~SpawnAttributes()
    {
        if (_valid)
            posix_spawnattr_destroy(&_attributes);
    }

    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* get() const { return _valid ? &_attributes : nullptr; }

private:
    posix_spawnattr_t _attributes;
    bool _valid = false;
};

int waitForChild(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

// The opener may outlive the call by as long as the browser it starts, so it is reaped on a
// thread of its own rather than left a zombie or waited for on the caller's thread.
void reapInBackground(pid_t pid)
{
    try {
        std::thread([pid] { waitForChild(pid); }).detach();
    } catch (...) {
        // Without a thread to spare, waiting here is better than leaving the child unreaped.
        waitForChild(pid);
    }
}

bool containsNul(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

} // namespace

RealSystem::RealSystem(std::string shellPath, int privilegedHelper)
    : _shellPath(std::move(shellPath))
    , _privilegedHelper(privilegedHelper)
    , _startedPrivileged(getauxval(AT_SECURE) || holdsRaisedPrivilege() || privilegedHelper >= 0)
{
}

// With a privileged helper, this process has given up root for good and cannot change its
// identity: the change is the helper's, and it makes it for the command lines it performs.
int RealSystem::setuid(uid_t uid)
{
    if (_privilegedHelper >= 0) {
        _identityForHelper = _identityForHelper || uid == 0;
        return 0;
    }
    return ::setuid(uid);
}

int RealSystem::setgid(gid_t gid)
{
    if (_privilegedHelper >= 0) {
        _identityForHelper = _identityForHelper || gid == 0;
        return 0;
    }
    return ::setgid(gid);
}

int RealSystem::askPrivilegedHelper(const privileged_helper::Command& command)
{
    auto request = command.request;
    ssize_t sent;
    do
        sent = send(_privilegedHelper, &request, sizeof request, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent != ssize_t(sizeof request))
        return -1;
    privileged_helper::Reply reply {};
    ssize_t received;
    do
        received = recv(_privilegedHelper, &reply, sizeof reply, 0);
    while (received < 0 && errno == EINTR);
    if (received != ssize_t(sizeof reply) || reply.outcome != privileged_helper::Outcome::Performed)
        return -1;
    return reply.status;
}

int RealSystem::system(const std::string& line)
{
    // A line cut short at a NUL byte would be a different command from the one asked for.
    if (containsNul(line))
        return -1;
    // The two lines that need identity 0 are the helper's to run, once the identity was asked for;
    // every other line runs here, as the user.
    if (_privilegedHelper >= 0 && _identityForHelper) {
        if (auto* command = privileged_helper::commandForLine(line.c_str()))
            return askPrivilegedHelper(*command);
    }

    std::vector<std::string> arguments { _shellPath, "-c", line };
    auto argv = pointerArray(arguments);
    std::vector<std::string> clean;
    std::vector<char*> cleanPointers;
    char* const* envp = environ;
    if (hasRaisedPrivilege()) {
        clean = cleanEnvironment(environ);
        cleanPointers = pointerArray(clean);
        envp = cleanPointers.data();
    }

    SpawnAttributes attributes;
    pid_t pid = 0;
    if (posix_spawn(&pid, _shellPath.c_str(), nullptr, attributes.get(), argv.data(), envp))
        return -1;
    return waitForChild(pid);
}

int RealSystem::openURL(const std::string& url)
{
    if (containsNul(url))
        return -1;

    std::vector<std::string> arguments { kURLOpener, url };
    auto argv = pointerArray(arguments);
    SpawnAttributes attributes;
    pid_t pid = 0;
    if (hasRaisedPrivilege()) {
        // posix_spawnp would search the PATH of this process, which whoever started it chose;
        // the opener is looked up on the same safe PATH that the child gets.
        auto program = findExecutable(kURLOpener, std::string(carried_environment::kSafePath));
        if (program.empty())
            return -1;
        auto clean = cleanEnvironment(environ);
        auto envp = pointerArray(clean);
        if (posix_spawn(&pid, program.c_str(), nullptr, attributes.get(), argv.data(), envp.data()))
            return -1;
    } else if (posix_spawnp(&pid, kURLOpener, nullptr, attributes.get(), argv.data(), environ))
        return -1;

    reapInBackground(pid);
    return 0;
}

std::vector<std::string> RealSystem::cleanEnvironment(char* const* environment)
{
    std::array<const char*, carried_environment::kMaximumEntries + 1> selected {};
    size_t count = carried_environment::select(environment, selected);
    return { selected.begin(), selected.begin() + std::ptrdiff_t(count) };
}

std::string RealSystem::findExecutable(const std::string& name, const std::string& searchPath)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return { };
    std::string_view remaining(searchPath);
    while (true) {
        auto colon = remaining.find(':');
        auto directory = remaining.substr(0, colon);
        if (directory.starts_with('/')) {
            std::string candidate(directory);
            if (!candidate.ends_with('/'))
                candidate += '/';
            candidate += name;
            struct stat status;
            if (!stat(candidate.c_str(), &status) && S_ISREG(status.st_mode)
                && !faccessat(AT_FDCWD, candidate.c_str(), X_OK, AT_EACCESS))
                return candidate;
        }
        if (colon == std::string_view::npos)
            return { };
        remaining.remove_prefix(colon + 1);
    }
}
