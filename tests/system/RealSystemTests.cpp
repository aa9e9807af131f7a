#include "platform/system/System.h"

#include "platform/system/PrivilegedHelperProtocol.h"

#include "power/PowerAction.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/ScriptDir.h"
#include "tests/system/FakeShell.h"

#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing::ElementsAre;

namespace {

std::vector<std::vector<std::string>> asShellRuns(const std::vector<std::string>& lines)
{
    std::vector<std::vector<std::string>> runs;
    for (auto& line : lines)
        runs.push_back({ "-c", line });
    return runs;
}

// Catalogue lines go to the fake shell and nowhere else: the fixture checks that the shell it
// hands to RealSystem is the script in its own temporary folder before any test runs.
class RealSystemWithFakeShell : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(shell.path()));
        ASSERT_EQ(shell.path().filename(), "fake-sh");
        ASSERT_NE(shell.path(), std::filesystem::path("/bin/sh"));
    }

    FakeShell shell;
    RealSystem system { shell.path().string() };
};

TEST_F(RealSystemWithFakeShell, HandsEveryPowerActionLineOverVerbatimEachFinishedBeforeTheNext)
{
    // Reboot and shut down take the root identity first; the tests run as root, where that
    // changes nothing.
    std::vector<std::string> expected;
    for (auto& action : powerActions()) {
        executePowerAction(action, system);
        for (auto line : action.commands)
            expected.emplace_back(line);

        // Looked at as soon as the action returns: a shell still running would show as a run
        // without its end.
        auto runs = shell.runs();
        ASSERT_TRUE(runs) << "a run overlapped or was cut short:\n" << testing::PrintToString(shell.logLines());
        EXPECT_EQ(*runs, asShellRuns(expected)) << "after " << action.title;
    }
    EXPECT_EQ(expected.size(), 7u);
}

TEST_F(RealSystemWithFakeShell, ShellSyntaxInALineReachesTheShellAsOneArgument)
{
    std::string line = "echo 'a b'  \"$HOME\" ; `true` | cat > out && echo \\\\ *";
    system.system(line);
    EXPECT_EQ(shell.runs(), asShellRuns({ line }));
}

TEST_F(RealSystemWithFakeShell, RefusesALineWithANulByteWithoutStartingTheShell)
{
    EXPECT_EQ(system.system(std::string("uicache\0; halt", 14)), -1);
    EXPECT_TRUE(shell.logLines().empty());
}

volatile sig_atomic_t interruptions = 0;

void countInterruption(int)
{
    interruptions = interruptions + 1;
}

// The app's side of a set-user-ID start: a socket to the helper, played here by a thread that
// answers every request it hears.
TEST_F(RealSystemWithFakeShell, WithAHelperOnlyTheTwoRootLinesGoToItAndOnlyAfterTheIdentityChange)
{
    using namespace privileged_helper;
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    std::vector<uint32_t> requests;
    std::thread helper([&] {
        uint32_t request = 0;
        while (recv(ends[1], &request, sizeof request, 0) == ssize_t(sizeof request)) {
            requests.push_back(request);
            Reply reply { Outcome::Performed, int32_t(request * 256) };
            send(ends[1], &reply, sizeof reply, MSG_NOSIGNAL);
        }
    });
    RealSystem separated(shell.path().string(), ends[0]);

    // A root line without the identity change asked for first is the user's own.
    separated.system("kill 1");
    std::vector<std::string> expected { "kill 1" };
    for (auto& action : powerActions()) {
        executePowerAction(action, separated);
        if (action.rootIdentity == RootIdentity::Keep)
            expected.insert(expected.end(), action.commands.begin(), action.commands.end());
    }
    // The helper's answer is the shell's status, passed on.
    EXPECT_EQ(separated.system("halt"), 2 * 256);
    shutdown(ends[0], SHUT_RDWR);
    helper.join();
    close(ends[0]);
    close(ends[1]);

    EXPECT_THAT(requests, ElementsAre(1u, 2u, 2u));
    EXPECT_EQ(shell.runs(), asShellRuns(expected));
    // With the helper gone, a root line fails and runs nowhere.
    EXPECT_EQ(separated.system("kill 1"), -1);
    EXPECT_EQ(shell.runs(), asShellRuns(expected));
}

TEST(RealSystemWaiting, ASignalDuringTheWaitDoesNotCutItShort)
{
    FakeShell shell({ .signalTarget = getpid() });
    RealSystem system { shell.path().string() };

    // Without SA_RESTART, the signal makes waitpid fail with EINTR, which must not end the wait.
    struct sigaction handler { };
    handler.sa_handler = countInterruption;
    sigemptyset(&handler.sa_mask);
    struct sigaction previous { };
    ASSERT_EQ(sigaction(SIGUSR1, &handler, &previous), 0);
    interruptions = 0;
    int status = system.system("uicache");
    sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_EQ(interruptions, 1);
    EXPECT_TRUE(WIFEXITED(status) && !WEXITSTATUS(status)) << "status " << status;
    EXPECT_EQ(shell.runs(), asShellRuns({ "uicache" }));
}

// The real /bin/sh, with harmless lines only: touch, killall and uicache are scripts in a
// temporary folder, and that folder is the whole PATH, so no real command of those names can be
// reached.
class RealSystemWithRealShell : public testing::Test {
protected:
    RealSystemWithRealShell()
    {
        // Each logs its name and arguments, then does its part: touch makes the files, uicache
        // takes a moment and says when it is done.
        auto write = [&](const std::string& name, const std::string& action) {
            dir.writeScript(name,
                ScriptDir::fillIn(R"(#!/bin/sh
log=@LOG@
printf '%s' @NAME@ >> "$log"
for argument in "$@"; do printf ' [%s]' "$argument" >> "$log"; done
printf '\n' >> "$log"
)" + action,
                    { { "LOG", ScriptDir::shellQuoted(dir.file("commands.log").string()) }, { "NAME", name },
                        { "SLEEP", ScriptDir::shellQuoted(absoluteCommand("sleep")) } }));
        };
        write("killall", "");
        write("touch", "for file in \"$@\"; do : > \"$file\"; done\n");
        write("uicache", "@SLEEP@ 0.05\nprintf 'uicache finished\\n' >> \"$log\"\n");
    }

    std::string path(const std::string& name) const { return dir.file(name).string(); }
    std::vector<std::string> commands() const { return dir.readLines("commands.log"); }

    ScriptDir dir;
    ScopedEnvironmentVariable searchPath { "PATH", dir.path().string() };
    RealSystem shell;
};

TEST_F(RealSystemWithRealShell, TheShellParsesTheLineAndFindsCommandsOnPath)
{
    int status = shell.system("killall -9 'Zentrova Test Target'  \"two words\"");
    EXPECT_TRUE(WIFEXITED(status) && !WEXITSTATUS(status)) << "status " << status;
    EXPECT_THAT(commands(), ElementsAre("killall [-9] [Zentrova Test Target] [two words]"));
}

TEST_F(RealSystemWithRealShell, ReturnsWhenEverythingTheLineStartedHasFinished)
{
    auto made = path("made");
    shell.system("touch " + ScriptDir::shellQuoted(made) + " && uicache --zentrova-test");
    EXPECT_TRUE(std::filesystem::exists(made));
    EXPECT_THAT(commands(), ElementsAre("touch [" + made + "]", "uicache [--zentrova-test]", "uicache finished"));

    shell.system("killall -HUP ZentrovaTestTarget");
    EXPECT_EQ(commands().back(), "killall [-HUP] [ZentrovaTestTarget]");
}

TEST_F(RealSystemWithRealShell, ReturnsTheShellsExitStatus)
{
    int status = shell.system("exit 3");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);

    status = shell.system("zentrova-no-such-command");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 127);
}

bool failedToStart(int status)
{
    return status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

TEST(RealSystemWithoutAShell, FailsWhenTheShellCannotBeStarted)
{
    ScriptDir dir;
    EXPECT_PRED1(failedToStart, RealSystem((dir.path() / "no-such-shell").string()).system("true"));

    auto notExecutable = dir.file("not-executable");
    dir.writeScript("not-executable", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(
        notExecutable, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_PRED1(failedToStart, RealSystem(notExecutable.string()).system("true"));

    EXPECT_PRED1(failedToStart, RealSystem(dir.path().string()).system("true"));
}

} // namespace
