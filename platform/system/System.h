#pragma once

#include "platform/system/PrivilegeSeparation.h"

#include <sys/types.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace privileged_helper {
struct Command;
}

// The one seam through which the app reaches the operating system: identity changes, shell
// command lines and opening URLs. The host installs the real implementation or the dry-run
// printer; tests install the recorder. Results are returned but the app never looks at them.
class System {
public:
    virtual ~System() = default;

    virtual int setuid(uid_t uid) = 0;
    virtual int setgid(gid_t gid) = 0;
    // Runs LINE through the shell and returns when the shell has finished.
    virtual int system(const std::string& line) = 0;
    // Hands the URL to the desktop's browser; never through a shell.
    virtual int openURL(const std::string& url) = 0;

    // The implementation in force. Until a host installs one, this is a dry-run printer on standard
    // output, so that nothing that forgot to choose can reach the real system by accident. The
    // reference stays valid while that implementation is installed or its pointer is held.
    static System& current();
    // Installs SYSTEM and returns the one it replaces, which is never null; installing null puts a
    // fresh dry-run printer on standard output back in force.
    static std::shared_ptr<System> setCurrent(std::shared_ptr<System> system);
};

// Runs each line as SHELL -c LINE and waits for it. When the process has more privilege than the
// user who started it, the child gets a clean environment. system() returns the shell's wait status
// as system(3) does, or -1 when the shell could not be started. A line or URL holding a NUL byte is
// refused with -1, since it could only be passed on cut short.
//
// Started set-user-ID, the process has handed root to its privileged helper (PrivilegeSeparation.h)
// and keeps the helper's socket: setuid(0) and setgid(0) then change nothing here but ask that the
// two lines which need identity 0 ("kill 1" and "halt") be run by the helper, as root with the clean
// environment; every other line still runs here, as the user.
class RealSystem final : public System {
public:
    explicit RealSystem(std::string shellPath = "/bin/sh", int privilegedHelper = privilegedHelperSocket());

    int setuid(uid_t uid) override;
    int setgid(gid_t gid) override;
    int system(const std::string& line) override;
    // Starts xdg-open with the URL as its one argument and returns 0 once it has started, or -1 when
    // it could not be. It is not waited for: where no browser is running, xdg-open can stay until
    // the browser it starts is closed. A thread of its own reaps it. With raised privilege it is
    // looked up on the clean environment's PATH rather than on this process's.
    int openURL(const std::string& url) override;

    // Whether children get the clean environment: the process was started set-user-ID,
    // set-group-ID or with file capabilities (also once it has given them up), or holds a helper.
    bool hasRaisedPrivilege() const { return _startedPrivileged; }

    // The environment handed to children when privilege was raised (CarriedEnvironment.h).
    static std::vector<std::string> cleanEnvironment(char* const* environment);

    // The first regular, executable file called NAME in the directories of SEARCHPATH (separated by
    // colons), or an empty string. Only absolute directories are searched, so the answer never
    // depends on the working directory.
    static std::string findExecutable(const std::string& name, const std::string& searchPath);

    // For tests: behave as if the process had started set-user-ID.
    void setStartedPrivilegedForTesting(bool value) { _startedPrivileged = value; }

private:
    int askPrivilegedHelper(const privileged_helper::Command& command);

    std::string _shellPath;
    int _privilegedHelper = -1;
    bool _identityForHelper = false;
    bool _startedPrivileged = false;
};

// Prints each call, one a line (setuid(0), setgid(0), system("kill 1"), openURL("https://...")),
// with the strings escaped as C string literals, and spawns nothing.
class DryRunSystem final : public System {
public:
    explicit DryRunSystem(std::ostream& out);

    int setuid(uid_t uid) override;
    int setgid(gid_t gid) override;
    int system(const std::string& line) override;
    int openURL(const std::string& url) override;

private:
    void print(const std::string& notation);

    std::ostream& _out;
};

// Records each call in the dry-run notation, for tests.
class RecordingSystem final : public System {
public:
    int setuid(uid_t uid) override;
    int setgid(gid_t gid) override;
    int system(const std::string& line) override;
    int openURL(const std::string& url) override;

    const std::vector<std::string>& calls() const { return _calls; }
    void clear() { _calls.clear(); }

private:
    std::vector<std::string> _calls;
};

// Escapes a string as the body of a C string literal, quotes included: "a\tb\n".
std::string cStringLiteral(const std::string& text);
