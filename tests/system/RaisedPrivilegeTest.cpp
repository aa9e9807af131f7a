#include "platform/system/PrivilegedHelperProtocol.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <pwd.h>
#include <random>
#include <sstream>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Stream = ChildProcess::Stream;

// A user made for one test and removed after it, with no home and no login.
class ThrowawayUser {
public:
    ThrowawayUser()
        : _name("zentrova-t" + std::to_string(getpid()))
    {
        if (runQuietly({ "/usr/sbin/useradd", "--no-create-home", "--shell", "/usr/sbin/nologin", _name }) != 0)
            return;
        if (auto* entry = getpwnam(_name.c_str())) {
            _uid = entry->pw_uid;
            _gid = entry->pw_gid;
            _made = true;
        }
    }
    ~ThrowawayUser()
    {
        if (_made)
            runQuietly({ "/usr/sbin/userdel", _name });
    }
    ThrowawayUser(const ThrowawayUser&) = delete;
    ThrowawayUser& operator=(const ThrowawayUser&) = delete;

    bool made() const { return _made; }
    uid_t uid() const { return _uid; }
    gid_t gid() const { return _gid; }

private:
    std::string _name;
    uid_t _uid = 0;
    gid_t _gid = 0;
    bool _made = false;
};

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The program installed set-user-ID root, as a packager would install it, and started by the
// throwaway user (or by root, as a control).
class RaisedPrivilege : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to install a set-user-ID program and make a user";
        ASSERT_TRUE(user.made()) << "useradd failed";
        // Everyone may pass through the test's folder; what lies in it decides who may do what.
        fs::permissions(dir.path(), fs::perms(0755));
        // The program and the fonts configuration it finds beside itself, as its bundle holds them.
        program = dir.path() / fs::path(ZENTROVA_PROGRAM).filename();
        fs::copy_file(ZENTROVA_PROGRAM, program);
        fs::copy_file(ZENTROVA_BUNDLE_DIR "/fonts.conf", dir.path() / "fonts.conf");
        ASSERT_EQ(chmod(program.c_str(), 04755), 0);

        home = dir.path() / "home";
        deviceRoot = home / "device";
        fs::create_directories(deviceRoot / "var/mobile/Library/Preferences");
        for (auto& path : { home, deviceRoot, deviceRoot / "var", deviceRoot / "var/mobile", deviceRoot / "var/mobile/Library",
                 deviceRoot / "var/mobile/Library/Preferences" })
            ASSERT_EQ(chown(path.c_str(), user.uid(), user.gid()), 0);
    }

    fs::path userFile(const std::string& name, const std::string& bytes)
    {
        auto path = home / name;
        writeFileBytes(path, bytes);
        EXPECT_EQ(chown(path.c_str(), user.uid(), user.gid()), 0);
        return path;
    }

    fs::path rootFile(const std::string& name, const std::string& bytes, mode_t mode)
    {
        auto path = dir.path() / name;
        writeFileBytes(path, bytes);
        EXPECT_EQ(chmod(path.c_str(), mode), 0);
        return path;
    }

    ProgramRun run(std::vector<std::string> arguments, bool asRoot = false, std::optional<fs::path> root = std::nullopt)
    {
        arguments.insert(arguments.begin(), "--dry-run");
        return runForReal(arguments, asRoot, root);
    }

    // Without --dry-run: only ever inside insideFakeSystem().
    ProgramRun runForReal(std::vector<std::string> arguments, bool asRoot = false, std::optional<fs::path> root = std::nullopt)
    {
        arguments.insert(arguments.begin(), { program.string(), "--headless", "--root", root.value_or(deviceRoot).string() });
        auto outPath = dir.path() / "out.txt", errPath = dir.path() / "err.txt";
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ProgramRun result;
        result.status = ChildProcess(arguments, startedBy(asRoot, { .descriptors = { { out, 1 }, { err, 2 } } })).wait().value_or(-1);
        close(out);
        close(err);
        result.out = readFileBytes(outPath);
        result.err = readFileBytes(errPath);
        return result;
    }

    // What the user may put in the environment of a program of root's; none of it may reach a
    // process that holds root.
    static std::vector<std::string> hostileEnvironment()
    {
        // A set-user-ID process may not be traced, not even by the leak checker of a sanitizer
        // build from inside; its memory is checked by every other test.
        return { "PATH=/tmp/evil:/usr/bin:/bin", "ASAN_OPTIONS=detect_leaks=0", "IFS=/", "BASH_ENV=/tmp/evil.sh",
            "LD_PRELOAD=/tmp/evil.so", "HOME=/nonexistent", "LANG=C.UTF-8", "BASH_FUNC_kill%%=() { :; }" };
    }

    // OPTIONS for a start by the throwaway user, who takes their identity before the program
    // starts, or by root, as a control; the environment is the hostile one unless given.
    ChildProcess::Options startedBy(bool asRoot, ChildProcess::Options options = {}) const
    {
        if (!options.environment)
            options.environment = hostileEnvironment();
        if (!asRoot) {
            options.beforeExec = [uid = user.uid(), gid = user.gid()] {
                return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
            };
        }
        return options;
    }

    static uid_t ownerOf(const fs::path& path)
    {
        struct stat info { };
        return stat(path.c_str(), &info) == 0 ? info.st_uid : uid_t(-1);
    }

    TempDir dir;
    ThrowawayUser user;
    fs::path program;
    fs::path home;
    fs::path deviceRoot;
};

TEST_F(RaisedPrivilege, FilesOfRootsAreNeitherReadNorWritten)
{
    auto screenshot = rootFile("root-owned.png", "precious", 0644);
    auto result = run({ "--screenshot", screenshot.string() });
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(readFileBytes(screenshot), "precious");

    auto tree = rootFile("root-owned.json", "precious", 0644);
    result = run({ "--script", userFile("tree.txt", "tree " + tree.string() + "\n").string() });
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(readFileBytes(tree), "precious");

    auto secret = rootFile("secret.txt", "topsecretword and more\n", 0600);
    result = run({ "--script", secret.string() });
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("permission denied"), std::string::npos) << result.err;
    EXPECT_EQ((result.out + result.err).find("topsecretword"), std::string::npos) << result.err;

    auto rootOnly = dir.path() / "root-only";
    fs::create_directory(rootOnly);
    fs::permissions(rootOnly, fs::perms(0700));
    result = run({}, false, rootOnly);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("permission denied"), std::string::npos) << result.err;
}

TEST_F(RaisedPrivilege, TheUsersFilesAreReadAndWrittenAsTheUser)
{
    // Preferences only root may read: the user's run cannot see their light theme, root's can.
    auto preferences = deviceRoot / "var/mobile/Library/Preferences/com.zentrova.app.plist";
    writeFileBytes(preferences, xmlPlistWithDictionaryBody("<key>lightSwitch</key><true/>"));
    ASSERT_EQ(chmod(preferences.c_str(), 0600), 0);

    auto tree = home / "tree.json";
    auto shot = home / "shot.png";
    auto script = userFile("script.txt", "tree " + tree.string() + "\nscreenshot " + shot.string() + "\ntap \"Reboot\"\n");
    auto result = run({ "--script", script.string() });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ownerOf(tree), user.uid());
    EXPECT_EQ(ownerOf(shot), user.uid());
    auto background = [&] { return nlohmann::json::parse(readFileBytes(tree))["keyWindow"]["subviews"][0]["backgroundColor"]; };
    EXPECT_EQ(background(), nlohmann::json::array({ 0, 0, 0, 1 }));
    // The power action still asks for root through the seam, which only prints here.
    EXPECT_EQ(result.out, "setuid(0)\nsetgid(0)\nsystem(\"kill 1\")\n");

    fs::remove(tree);
    result = run({ "--script", script.string() }, true);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(background(), nlohmann::json::array({ 1, 1, 1, 1 }));
}

// The IDs and capabilities of a running process, from /proc.
struct ProcessIdentity {
    std::string uids;
    std::string gids;
    std::string permittedCapabilities;
    std::string maps;
    std::vector<std::string> environment;
    std::vector<std::string> descriptors;
};

ProcessIdentity identityOf(pid_t pid)
{
    ProcessIdentity identity;
    auto folder = fs::path("/proc") / std::to_string(pid);
    std::ifstream status(folder / "status");
    for (std::string line; std::getline(status, line);) {
        auto value = line.substr(line.find(':') + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        if (line.starts_with("Uid:"))
            identity.uids = value;
        else if (line.starts_with("Gid:"))
            identity.gids = value;
        else if (line.starts_with("CapPrm:"))
            identity.permittedCapabilities = value;
    }
    identity.maps = readFileBytes(folder / "maps");
    auto environment = readFileBytes(folder / "environ");
    for (size_t start = 0; start < environment.size();) {
        auto end = environment.find('\0', start);
        identity.environment.push_back(environment.substr(start, end - start));
        start = end == std::string::npos ? environment.size() : end + 1;
    }
    std::error_code error;
    for (auto& entry : fs::directory_iterator(folder / "fd", error))
        identity.descriptors.push_back(entry.path().filename().string());
    std::sort(identity.descriptors.begin(), identity.descriptors.end());
    return identity;
}

bool holdsNoRoot(const ProcessIdentity& identity)
{
    auto noZero = [](const std::string& ids) {
        std::istringstream fields(ids);
        int count = 0;
        for (long id; fields >> id; ++count) {
            if (id == 0)
                return false;
        }
        return count == 4;
    };
    return noZero(identity.uids) && noZero(identity.gids) && identity.permittedCapabilities == "0000000000000000";
}

constexpr const char* kDrawingLibraries[] = { "libSDL2", "libcairo", "libpango", "libglib", "libfontconfig" };

// A stand-in for /bin/sh, bound over it in a private mount namespace: each run appends who ran it,
// its arguments and its environment to a log anyone may write, and runs nothing.
class FakeSystemShell {
public:
    explicit FakeSystemShell(const fs::path& folder)
        : _script(folder / "fake-sh")
        , _log(folder / "shell.log")
    {
        writeFileBytes(_script, "#!/bin/bash\n{ echo \"run $(/usr/bin/id -u) $(/usr/bin/id -g)\"; "
                                "for a in \"$@\"; do echo \"arg $a\"; done; "
                                "/usr/bin/env | /usr/bin/sort | /usr/bin/sed 's/^/env /'; } >> " + _log.string() + "\n");
        chmod(_script.c_str(), 0755);
        writeFileBytes(_log, "");
        chmod(_log.c_str(), 0666);
    }

    std::string log() const { return readFileBytes(_log); }

    // Runs BODY in a child that has its own mount and process namespaces with this shell in place of
    // /bin/sh, so that not even a line that slipped through could reach the real system: BODY runs
    // only once /bin/sh is seen to be this script, and "kill 1" there would name the namespace's
    // own first process. Returns BODY's result, or a negative number when the namespace could not
    // be made.
    int inside(const std::function<int()>& body) const
    {
        pid_t child = fork();
        if (child == 0) {
            if (unshare(CLONE_NEWNS | CLONE_NEWPID) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || mount(_script.c_str(), "/bin/sh", nullptr, MS_BIND, nullptr) != 0)
                _exit(200);
            if (readFileBytes("/bin/sh") != readFileBytes(_script))
                _exit(201);
            pid_t first = fork();
            if (first == 0)
                _exit(body());
            int status = 0;
            waitpid(first, &status, 0);
            _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 202);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) >= 200)
            return -1;
        return WEXITSTATUS(status);
    }

private:
    fs::path _script;
    fs::path _log;
};

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(prefix))
            lines.push_back(line.substr(prefix.size()));
    }
    return lines;
}

// The app runs as the user from the first library on; only the helper it started keeps root, and
// it maps nothing but the C library, holds nothing but its socket, has the clean environment, and
// dies with the app.
TEST_F(RaisedPrivilege, NothingThatDrawsHoldsRootAndTheHelperDiesWithTheApp)
{
    // The helper becomes this process's child when the app dies, so that its end can be waited for.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    ChildProcess app({ program.string(), "--headless", "--root", deviceRoot.string() },
        startedBy(false, { .input = Stream::Pipe, .output = Stream::Pipe }));
    // Once the app has answered, every library it links is loaded and initialised.
    ASSERT_EQ(write(app.input(), "tree\n", 5), 5);
    char first = 0;
    ASSERT_EQ(read(app.output(), &first, 1), 1);
    EXPECT_EQ(first, '{');

    auto pid = std::to_string(app.pid());
    auto children = readFileBytes(fs::path("/proc") / pid / "task" / pid / "children");
    ASSERT_FALSE(children.empty()) << "the app started no helper";
    pid_t helper = std::stoi(children);

    auto appIdentity = identityOf(app.pid());
    EXPECT_TRUE(holdsNoRoot(appIdentity)) << appIdentity.uids << " / " << appIdentity.gids << " / " << appIdentity.permittedCapabilities;
    auto helperIdentity = identityOf(helper);
    EXPECT_EQ(helperIdentity.uids, "0\t0\t0\t0");
    for (auto* library : kDrawingLibraries) {
        EXPECT_NE(appIdentity.maps.find(library), std::string::npos) << library;
        EXPECT_EQ(helperIdentity.maps.find(library), std::string::npos) << library;
    }
    EXPECT_EQ(helperIdentity.descriptors, std::vector<std::string> { "3" });
    EXPECT_EQ(helperIdentity.environment, (std::vector<std::string> { "PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=/nonexistent", "LANG=C.UTF-8" }));

    app.kill(SIGKILL);
    app.wait();
    // No root process outlives the app: the helper ends, and is reaped here.
    int status = 0;
    EXPECT_EQ(waitpid(helper, &status, 0), helper);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// A private X server anyone may draw on, for as long as the object lives.
class PrivateDisplay {
public:
    PrivateDisplay()
    {
        int ends[2];
        if (access("/usr/bin/Xvfb", X_OK) != 0 || pipe2(ends, O_CLOEXEC) != 0)
            return;
        // The server writes its display's number to the descriptor it is given.
        auto descriptor = std::to_string(ends[1]);
        _server.emplace(std::vector<std::string> { "/usr/bin/Xvfb", "-displayfd", descriptor, "-ac", "-nolisten", "tcp", "-screen",
                            "0", "1280x1024x24" },
            ChildProcess::Options { .output = Stream::Null, .error = Stream::Null, .descriptors = { { ends[1], ends[1] } } });
        close(ends[1]);
        std::string number;
        char c = 0;
        while (read(ends[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(ends[0]);
        if (!number.empty())
            _name = ":" + number;
    }
    ~PrivateDisplay()
    {
        if (_server) {
            _server->kill(SIGTERM);
            _server->wait();
        }
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    const std::string& name() const { return _name; }

private:
    std::optional<ChildProcess> _server;
    std::string _name;
};

// The user's own library, reached through what SDL and Mesa read from the environment, is loaded
// by a windowed run, and finds no root to take: the app gave it up before any library started.
TEST_F(RaisedPrivilege, AUserLibraryTheWindowLoadsCannotTakeRoot)
{
    PrivateDisplay display;
    if (display.name().empty())
        GTEST_SKIP() << "needs Xvfb";
    auto library = home / "evil.so";
    fs::copy_file(ZENTROVA_TAKES_ROOT_LIBRARY, library);
    fs::create_directory(home / "dri");
    fs::copy_file(ZENTROVA_TAKES_ROOT_LIBRARY, home / "dri" / "swrast_dri.so");
    auto report = home / "report.txt";
    struct Way {
        const char* name;
        std::vector<std::string> variables;
    };
    const Way ways[] = {
        { "SDL_OPENGL_LIBRARY", { "SDL_OPENGL_LIBRARY=" + library.string() } },
        { "LIBGL_DRIVERS_PATH", { "LIBGL_DRIVERS_PATH=" + (home / "dri").string(), "LIBGL_ALWAYS_SOFTWARE=1" } },
        { "SDL_VIDEO_EGL_DRIVER", { "SDL_VIDEO_X11_FORCE_EGL=1", "SDL_VIDEO_EGL_DRIVER=" + library.string() } },
    };
    for (auto& way : ways) {
        SCOPED_TRACE(way.name);
        fs::remove(report);
        auto environment = hostileEnvironment();
        environment.push_back("DISPLAY=" + display.name());
        environment.push_back("ZENTROVA_TEST_REPORT=" + report.string());
        environment.push_back("SDL_VIDEODRIVER=x11");
        environment.insert(environment.end(), way.variables.begin(), way.variables.end());
        ChildProcess app({ program.string(), "--dry-run", "--root", deviceRoot.string() },
            startedBy(false, { .environment = environment, .input = Stream::Null, .output = Stream::Null, .error = Stream::Null }));
        // The library ends the app once it has reported; an app that never loads it is stopped
        // once its window has long been up.
        for (int turn = 0; turn < 2000 && !app.poll(); ++turn)
            usleep(10000);
        app.kill(SIGKILL);
        app.wait();
        EXPECT_EQ(readFileBytes(report), "loaded, no root\n");
    }
}

// Reboot reaches the shell as root with the clean environment, through the helper; Respring runs
// from the app, as the user.
TEST_F(RaisedPrivilege, RebootRunsAsRootInTheHelperAndRespringAsTheUser)
{
    FakeSystemShell shell(dir.path());
    auto script = userFile("script.txt", "tap \"Reboot\"\ntap \"Respring\"\n");
    int result = shell.inside([&] { return runForReal({ "--script", script.string() }).status; });
    ASSERT_EQ(result, 0) << shell.log();

    auto log = shell.log();
    EXPECT_EQ(linesStartingWith(log, "run "), (std::vector<std::string> { "0 0", std::to_string(user.uid()) + " " + std::to_string(user.gid()) }));
    EXPECT_EQ(linesStartingWith(log, "arg "), (std::vector<std::string> { "-c", "kill 1", "-c", "killall -9 SpringBoard" }));
    auto rootEnvironment = log.substr(0, log.find("run ", 1));
    for (auto& variable : linesStartingWith(rootEnvironment, "env ")) {
        auto name = variable.substr(0, variable.find('='));
        EXPECT_TRUE(name == "PATH" || name == "HOME" || name == "LANG" || name == "PWD" || name == "SHLVL" || name == "_") << variable;
    }
    EXPECT_NE(rootEnvironment.find("env PATH=/usr/sbin:/usr/bin:/sbin:/bin\n"), std::string::npos) << rootEnvironment;
}

// Whatever the app's side of the socket sends, the helper runs nothing but the line of a request it
// knows, and answers every message it refuses.
TEST_F(RaisedPrivilege, TheHelperRefusesEveryOtherMessageAndRunsNothingForIt)
{
    using namespace privileged_helper;
    FakeSystemShell shell(dir.path());
    int result = shell.inside([] {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
            return 10;
        ChildProcess helper({ ZENTROVA_BIN_DIR "/zentrova-privileged-helper" },
            { .environment = std::vector<std::string> { "PATH=/usr/bin:/bin" }, .descriptors = { { ends[1], kDescriptor } } });
        close(ends[1]);
        auto answer = [&](const void* message, size_t length) {
            if (length && send(ends[0], message, length, MSG_NOSIGNAL) != ssize_t(length))
                return Outcome(-1);
            Reply reply {};
            return recv(ends[0], &reply, sizeof reply, 0) == ssize_t(sizeof reply) ? reply.outcome : Outcome(-1);
        };
        if (answer(nullptr, 0) != Outcome::Ready)
            return 11;
        std::vector<std::string> messages;
        for (uint32_t tag : { 0u, 3u, 4u, 5u, 6u, 7u, 255u, 0x100u | 1u, 0xFFFFFFFFu })
            messages.emplace_back(reinterpret_cast<const char*>(&tag), sizeof tag);
        uint32_t reboot = 1;
        std::string rebootBytes(reinterpret_cast<const char*>(&reboot), sizeof reboot);
        for (size_t length = 1; length < rebootBytes.size(); ++length)
            messages.push_back(rebootBytes.substr(0, length));
        messages.push_back(rebootBytes + '\0');
        messages.push_back(rebootBytes + rebootBytes);
        messages.push_back("kill 1");
        messages.push_back(std::string(200, '\1'));
        std::mt19937 random(20261210);
        while (messages.size() < 300) {
            std::string bytes(1 + random() % 80, '\0');
            for (auto& byte : bytes)
                byte = char(random());
            if (!lineOfMessage(bytes.data(), long(bytes.size())))
                messages.push_back(bytes);
        }
        for (auto& message : messages) {
            if (answer(message.data(), message.size()) != Outcome::Refused)
                return 12;
        }
        // The same helper still does what it is there for, so that the refusals above were heard.
        if (answer(&reboot, sizeof reboot) != Outcome::Performed)
            return 13;
        close(ends[0]);
        return helper.wait() == 0 ? 0 : 14;
    });
    ASSERT_EQ(result, 0) << shell.log();
    EXPECT_EQ(linesStartingWith(shell.log(), "arg "), (std::vector<std::string> { "-c", "kill 1" }));
}

} // namespace
