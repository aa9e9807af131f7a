#include "platform/system/System.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <string_view>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::string_view kSafePath = "/usr/sbin:/usr/bin:/sbin:/bin";
constexpr const char* kURLOpener = "xdg-open";

// A child with raised privilege gets only these variables from this process, each once and only
// with a value that cannot steer it: whoever started the process chose every one of them. The
// rest (IFS, ENV, LD_*, TZ, BROWSER, XDG_*, PERL5LIB, exported functions, ...) is dropped.
enum class ValueKind { Folder, Locale, Terminal, UserName };
struct CarriedVariable {
    std::string_view name;
    ValueKind kind;
};
constexpr std::array<CarriedVariable, 5> kCarriedNames {
    CarriedVariable { "HOME", ValueKind::Folder },
    CarriedVariable { "LANG", ValueKind::Locale },
    CarriedVariable { "TERM", ValueKind::Terminal },
    CarriedVariable { "USER", ValueKind::UserName },
    CarriedVariable { "LOGNAME", ValueKind::UserName },
};
constexpr std::string_view kLocalePrefix = "LC_";

bool isAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool onlyCharacters(std::string_view value, std::string_view extra)
{
    for (char c : value) {
        if (!isAlphanumeric(c) && extra.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

bool isSaneValue(ValueKind kind, std::string_view value)
{
    switch (kind) {
    case ValueKind::Folder:
        // An absolute path of printable characters that does not climb out with "..".
        if (!value.starts_with('/') || value.size() > 4096 || value.find("/..") != std::string_view::npos)
            return false;
        for (char c : value) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return false;
        }
        return true;
    case ValueKind::Locale:
        // A locale name ("de_DE.UTF-8", "C", "sr_RS@latin"); a slash would name a file of the caller's.
        return !value.empty() && value.size() <= 64 && onlyCharacters(value, "._-@");
    case ValueKind::Terminal:
        return !value.empty() && value.size() <= 64 && onlyCharacters(value, "._+-");
    case ValueKind::UserName:
        return !value.empty() && value.size() <= 32 && !value.starts_with('-') && onlyCharacters(value, "._-");
    }
    return false;
}

std::optional<ValueKind> carriedKind(std::string_view name)
{
    for (auto& carried : kCarriedNames) {
        if (carried.name == name)
            return carried.kind;
    }
    if (name.starts_with(kLocalePrefix) && name.size() > kLocalePrefix.size() && onlyCharacters(name, "_"))
        return ValueKind::Locale;
    return std::nullopt;
}

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

// Whether the effective or saved IDs differ from the real ones: a set-user-ID start, also after
// actAsRealUser has lowered the effective IDs and root is left in the saved ones only.
bool holdsOtherIdentity()
{
    uid_t realUser, effectiveUser, savedUser;
    gid_t realGroup, effectiveGroup, savedGroup;
    if (getresuid(&realUser, &effectiveUser, &savedUser) != 0 || getresgid(&realGroup, &effectiveGroup, &savedGroup) != 0)
        return true;
    return realUser != effectiveUser || realUser != savedUser || realGroup != effectiveGroup || realGroup != savedGroup;
}

bool containsNul(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

} // namespace

RealSystem::RealSystem(std::string shellPath)
    : _shellPath(std::move(shellPath))
    , _startedPrivileged(getauxval(AT_SECURE) || holdsOtherIdentity())
{
}

int RealSystem::setuid(uid_t uid)
{
    uid_t realBefore = ::getuid();
    // A set-user-ID program runs as its user (actAsRealUser) with root kept in the saved ID; the
    // identity change takes root back first, so that setuid(0) then sets all three IDs.
    if (::geteuid() != uid)
        ::seteuid(uid);
    int result = ::setuid(uid);
    if (!result && !uid && realBefore)
        _raisedByCall = true;
    return result;
}

int RealSystem::setgid(gid_t gid)
{
    gid_t realBefore = ::getgid();
    int result = ::setgid(gid);
    if (result != 0 && errno == EPERM) {
        // Changing the group needs root as the effective user, for the moment of the call only.
        uid_t effective = ::geteuid();
        if (::seteuid(0) == 0) {
            result = ::setgid(gid);
            ::seteuid(effective);
        }
    }
    if (!result && !gid && realBefore)
        _raisedByCall = true;
    return result;
}

int RealSystem::system(const std::string& line)
{
    // A line cut short at a NUL byte would be a different command from the one asked for.
    if (containsNul(line))
        return -1;

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
        auto program = findExecutable(kURLOpener, std::string(kSafePath));
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
    std::vector<std::string> clean { "PATH=" + std::string(kSafePath) };
    if (!environment)
        return clean;
    std::vector<std::string_view> carried;
    for (auto entry = environment; *entry; ++entry) {
        std::string_view variable(*entry);
        auto equals = variable.find('=');
        if (equals == std::string_view::npos || !equals)
            continue;
        auto name = variable.substr(0, equals);
        auto kind = carriedKind(name);
        // The first of two entries with one name is the one getenv finds; a second is dropped.
        if (!kind || std::find(carried.begin(), carried.end(), name) != carried.end())
            continue;
        carried.push_back(name);
        if (isSaneValue(*kind, variable.substr(equals + 1)))
            clean.emplace_back(variable);
    }
    return clean;
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
