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
        "BASHOPTS=extglob",
        "CDPATH=/tmp",
        "LD_PRELOAD=/tmp/evil.so",
        "LD_LIBRARY_PATH=/tmp",
        "LD_AUDIT=/tmp/evil.so",
        "PS4=$(evil)",
        "GLOBIGNORE=*",
        "GCONV_PATH=/tmp",
        "BASH_FUNC_ls%%=() {  evil; }",
        "BASH_FUNC_cd()=() { evil; }",
        "ls=() { evil; }",
    });
    EXPECT_THAT(clean, ElementsAre(kSafePath));
}

TEST(CleanEnvironment, ForcesTheSafePathAndKeepsHarmlessVariablesInOrder)
{
    auto clean = cleaned({
        "HOME=/root",
        "PATH=/tmp/evil:/usr/bin",
        "LANG=de_DE.UTF-8",
        "TERM=xterm",
        "PATH=/tmp/also-evil",
        "USER=mobile",
        "DISPLAY=:0",
        "XAUTHORITY=/root/.Xauthority",
    });
    EXPECT_THAT(clean,
        ElementsAre(kSafePath, "HOME=/root", "LANG=de_DE.UTF-8", "TERM=xterm", "USER=mobile", "DISPLAY=:0",
            "XAUTHORITY=/root/.Xauthority"));
}

TEST(CleanEnvironment, MatchesWholeNamesAndPrefixesOnly)
{
    // Names that merely contain an unsafe one, and values that merely mention a function.
    auto clean = cleaned({
        "IFSX=1",
        "MY_IFS=1",
        "ENVIRONMENT=production",
        "OLD_LD_PRELOAD=x",
        "LD=ld.gold",
        "BASH_FUNCTIONS=none",
        "NOTE=see () { }",
        "EMPTY=",
    });
    EXPECT_THAT(clean,
        ElementsAre(kSafePath, "IFSX=1", "MY_IFS=1", "ENVIRONMENT=production", "OLD_LD_PRELOAD=x", "LD=ld.gold",
            "BASH_FUNCTIONS=none", "NOTE=see () { }", "EMPTY="));
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
};

TEST_F(ChildEnvironment, APrivilegedProcessHandsTheShellTheCleanEnvironment)
{
    RealSystem system { shell.path().string() };
    system.setStartedPrivilegedForTesting(true);
    ASSERT_TRUE(system.hasRaisedPrivilege());

    auto environment = runAndReadEnvironment(system);
    EXPECT_THAT(environment, Contains(kSafePath));
    EXPECT_THAT(environment, Contains("ZENTROVA_TEST_MARKER=kept"));
    for (auto& entry : environment) {
        EXPECT_THAT(entry, Not(StartsWith("ENV=")));
        EXPECT_THAT(entry, Not(StartsWith("BASH_ENV=")));
        EXPECT_THAT(entry, Not(StartsWith("LD_")));
        EXPECT_THAT(entry, Not(StartsWith("BASH_FUNC_")));
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
