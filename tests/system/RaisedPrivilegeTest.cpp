#include "platform/system/Privilege.h"
#include "platform/system/System.h"
#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {

int runTool(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The tool's chatter goes nowhere; its status says what happened.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

// A user made for one test and removed after it, with no home and no login.
class ThrowawayUser {
public:
    ThrowawayUser()
        : _name("zentrova-t" + std::to_string(getpid()))
    {
        if (runTool({ "/usr/sbin/useradd", "--no-create-home", "--shell", "/usr/sbin/nologin", _name }) != 0)
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
            runTool({ "/usr/sbin/userdel", _name });
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
        // The program with the app it loads and the fonts configuration it finds beside itself, as
        // its bundle holds them; only the program is set-user-ID.
        program = dir.path() / fs::path(ZENTROVA_PROGRAM).filename();
        fs::copy_file(ZENTROVA_PROGRAM, program);
        fs::copy_file(ZENTROVA_PROGRAM ".so", program.string() + ".so");
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
        arguments.insert(arguments.begin(), { program.string(), "--dry-run", "--headless", "--root", root.value_or(deviceRoot).string() });
        auto outPath = dir.path() / "out.txt", errPath = dir.path() / "err.txt";
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::string pathVariable = "PATH=/usr/bin:/bin";
        // A set-user-ID process may not be traced, not even by the leak checker of a sanitizer
        // build from inside; its memory is checked by every other test.
        std::string sanitizer = "ASAN_OPTIONS=detect_leaks=0";
        char* environment[] = { pathVariable.data(), sanitizer.data(), nullptr };
        pid_t pid = fork();
        if (pid == 0) {
            dup2(out, 1);
            dup2(err, 2);
            if (!asRoot && (setgroups(0, nullptr) != 0 || setgid(user.gid()) != 0 || setuid(user.uid()) != 0))
                _exit(125);
            execve(argv[0], argv.data(), environment);
            _exit(126);
        }
        close(out);
        close(err);
        ProgramRun result;
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readFileBytes(outPath);
        result.err = readFileBytes(errPath);
        return result;
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

// In a child that starts as the program would when set-user-ID and set-group-ID root: the real IDs
// the user's, the effective and saved ones root's.
TEST_F(RaisedPrivilege, TheProgramWorksAsItsUserAndTakesRootBackOnlyForTheIdentityChange)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(user.gid(), 0, 0) != 0 || setresuid(user.uid(), 0, 0) != 0)
            _exit(10);
        if (!actAsRealUser() || geteuid() != user.uid() || getegid() != user.gid())
            _exit(11);
        uid_t real, effective, saved;
        if (getresuid(&real, &effective, &saved) != 0 || saved != 0)
            _exit(12);
        // What a power action does before its command lines.
        RealSystem system;
        if (!system.hasRaisedPrivilege())
            _exit(13);
        if (system.setuid(0) != 0 || system.setgid(0) != 0)
            _exit(14);
        if (getresuid(&real, &effective, &saved) != 0 || real || effective || saved || getgid() || getegid())
            _exit(15);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
