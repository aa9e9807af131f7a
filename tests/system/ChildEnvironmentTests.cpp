#include "platform/system/System.h"

#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/ScriptDir.h"
#include "tests/system/FakeShell.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

namespace {

constexpr const char* kSafePath = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";

std::vector<std::string> cleaned(std::vector<std::string> entries)
{
    std::vector<char*> environment;
    for (auto& entry : entries)
        environment.push_back(entry.data());
    environment.push_back(nullptr);
    return RealSystem::cleanEnvironment(environment.data());
}

TEST(CleanEnvironment, DropsEverythingThatChangesWhatAShellRuns)
{
    auto clean = cleaned({
        "IFS=/",
        "ENV=/tmp/evil",
        "BASH_ENV=/tmp/evil",
        "SHELLOPTS=xtrace",
        "CDPATH=/tmp",
        "LD_PRELOAD=/tmp/evil.so",
        "LD_LIBRARY_PATH=/tmp",
        "PS4=$(evil)",
        "GCONV_PATH=/tmp",
        "BASH_FUNC_ls%%=() {  evil; }",
        "ls=() { evil; }",
        // Harmless-looking names that still change what a child does.
        "BROWSER=/tmp/evil",
        "TZ=/tmp/evil-zone",
        "PERL5LIB=/tmp/evil",
        "PYTHONPATH=/tmp/evil",
        "XDG_CONFIG_HOME=/tmp/evil",
        "XDG_DATA_DIRS=/tmp/evil",
        "DISPLAY=:0",
        "XAUTHORITY=/tmp/evil",
        "SHELL=/tmp/evil",
        "TMPDIR=/tmp/evil",
    });
    EXPECT_THAT(clean, ElementsAre(kSafePath));
}

TEST(CleanEnvironment, CarriesTheUserAndLocaleVariablesInOrderOnceEach)
{
    auto clean = cleaned({
        "HOME=/home/mobile",
        "PATH=/tmp/evil:/usr/bin",
        "LANG=de_DE.UTF-8",
        "LC_TIME=sr_RS@latin",
        "TERM=xterm-256color",
        "USER=mobile",
        "LOGNAME=mobile",
        "HOME=/tmp/second",
        "LC_ALL=C",
    });
    EXPECT_THAT(clean,
        ElementsAre(kSafePath, "HOME=/home/mobile", "LANG=de_DE.UTF-8", "LC_TIME=sr_RS@latin", "TERM=xterm-256color",
            "USER=mobile", "LOGNAME=mobile", "LC_ALL=C"));
}

TEST(CleanEnvironment, DropsCarriedVariablesWithValuesThatCouldSteerAChild)
{
    EXPECT_THAT(cleaned({
                    "HOME=relative/home",
                    "LANG=../../tmp/evil",
                    "LC_MESSAGES=/tmp/evil",
                    "LC_ALL=",
                    "TERM=xterm;evil",
                    "USER=-root",
                    "LOGNAME=a b",
                    "LC_=C",
                    "LC_X-Y=C",
                    "HOME=/home/second",
                }),
        ElementsAre(kSafePath));
    EXPECT_THAT(cleaned({ "HOME=/home/../tmp", "TERM=" + std::string(65, 'x'), "USER=() { evil; }" }),
        ElementsAre(kSafePath));
    EXPECT_THAT(cleaned({ "HOME=/home/a\nb", "LANG=C\x1b" }), ElementsAre(kSafePath));
}

TEST(CleanEnvironment, DropsMalformedEntriesAndCopesWithNoEnvironment)
{
    EXPECT_THAT(cleaned({ "NO_EQUALS_SIGN", "=nameless", "HOME=/root" }), ElementsAre(kSafePath, "HOME=/root"));
    EXPECT_THAT(RealSystem::cleanEnvironment(nullptr), ElementsAre(kSafePath));
}

std::string inheritedPath()
{
    auto* path = std::getenv("PATH");
    return path ? path : "/usr/bin:/bin";
}

// Puts a few variables into this process's environment for the length of a test, to see which of
// them a child gets.
class ChildEnvironment : public testing::Test {
protected:
    std::vector<std::string> runAndReadEnvironment(RealSystem& system)
    {
        EXPECT_EQ(system.system("uicache"), 0);
        return shell.environmentOfLastRun();
    }

    FakeShell shell;
    ScopedEnvironmentVariable marker { "ZENTROVA_TEST_MARKER", "kept" };
    ScopedEnvironmentVariable searchPath { "PATH", "/zentrova-test-unsafe:" + inheritedPath() };
    ScopedEnvironmentVariable shellStartup { "ENV", "/zentrova-test-unsafe/env" };
    ScopedEnvironmentVariable bashStartup { "BASH_ENV", "/zentrova-test-unsafe/bash_env" };
    ScopedEnvironmentVariable libraryPath { "LD_LIBRARY_PATH", "/zentrova-test-unsafe" };
    ScopedEnvironmentVariable function { "BASH_FUNC_zentrova%%", "() {  true; }" };
    ScopedEnvironmentVariable browser { "BROWSER", "/zentrova-test-unsafe/browser" };
    ScopedEnvironmentVariable language { "LANG", "de_DE.UTF-8" };
};

TEST_F(ChildEnvironment, APrivilegedProcessHandsTheShellTheCleanEnvironment)
{
    RealSystem system { shell.path().string() };
    system.setStartedPrivilegedForTesting(true);
    ASSERT_TRUE(system.hasRaisedPrivilege());

    auto environment = runAndReadEnvironment(system);
    EXPECT_THAT(environment, Contains(kSafePath));
    EXPECT_THAT(environment, Contains("LANG=de_DE.UTF-8"));
    for (auto& entry : environment) {
        auto name = entry.substr(0, entry.find('='));
        // The shell may add a few of its own (PWD, SHLVL, _); nothing of this process's beyond the
        // carried names reaches it.
        EXPECT_TRUE(name == "PATH" || name == "HOME" || name == "LANG" || name == "TERM" || name == "USER"
            || name == "LOGNAME" || name.starts_with("LC_") || name == "PWD" || name == "SHLVL" || name == "_"
            || name == "OLDPWD")
            << entry;
        EXPECT_TRUE(!entry.starts_with("PATH=") || entry == kSafePath) << entry;
    }
}

TEST_F(ChildEnvironment, OtherwiseTheShellInheritsTheEnvironmentAsItIs)
{
    RealSystem system { shell.path().string() };
    ASSERT_FALSE(system.hasRaisedPrivilege()) << "the tests are not meant to run set-user-ID";

    auto environment = runAndReadEnvironment(system);
    EXPECT_THAT(environment, Contains("ZENTROVA_TEST_MARKER=kept"));
    EXPECT_THAT(environment, Contains("PATH=" + std::string(std::getenv("PATH"))));
    EXPECT_THAT(environment, Contains("LD_LIBRARY_PATH=/zentrova-test-unsafe"));
}

class FindExecutable : public testing::Test {
protected:
    FindExecutable()
    {
        for (auto* folder : { "a", "b", "c", "d" })
            std::filesystem::create_directory(dir.file(folder));
        auto plain = dir.file("a/tool");
        dir.writeScript("a/tool", "#!/bin/sh\n");
        std::filesystem::permissions(plain, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        std::filesystem::create_directory(dir.file("b/tool"));
        dir.writeScript("c/tool", "#!/bin/sh\n");
        dir.writeScript("d/tool", "#!/bin/sh\n");
    }

    std::string folder(const std::string& name) const { return dir.file(name).string(); }

    ScriptDir dir;
};

TEST_F(FindExecutable, TakesTheFirstExecutableFileOnThePath)
{
    auto path = folder("a") + ":" + folder("b") + ":" + folder("c") + "/:" + folder("d");
    EXPECT_EQ(RealSystem::findExecutable("tool", path), folder("c") + "/tool");
    EXPECT_EQ(RealSystem::findExecutable("tool", folder("d")), folder("d") + "/tool");
    EXPECT_THAT(RealSystem::findExecutable("tool", folder("a") + ":" + folder("b")), IsEmpty());
    EXPECT_THAT(RealSystem::findExecutable("missing", path), IsEmpty());
}

TEST_F(FindExecutable, NeverLooksInTheWorkingDirectory)
{
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.file("d"));
    EXPECT_THAT(RealSystem::findExecutable("tool", ""), IsEmpty());
    EXPECT_THAT(RealSystem::findExecutable("tool", ":.:../d:" + folder("a")), IsEmpty());
    EXPECT_THAT(RealSystem::findExecutable("d/tool", dir.path().string()), IsEmpty());
    std::filesystem::current_path(previous);
}

} // namespace
