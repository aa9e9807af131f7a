#include "platform/system/System.h"

#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/ScriptDir.h"

#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using testing::ElementsAre;

namespace {

// Both ends of a pipe, closed when the test is done with them. Children inherit them.
class Pipe {
public:
    Pipe()
    {
        int ends[2];
        if (!pipe(ends)) {
            readEnd = ends[0];
            writeEnd = ends[1];
        }
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }

    void closeRead() { closeEnd(readEnd); }
    void closeWrite() { closeEnd(writeEnd); }

    // Everything written until every copy of the write end is closed.
    std::string readToEnd()
    {
        std::string text;
        char buffer[256];
        ssize_t count;
        while ((count = read(readEnd, buffer, sizeof buffer)) != 0) {
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            text.append(buffer, count);
        }
        return text;
    }

    int readEnd = -1;
    int writeEnd = -1;

private:
    static void closeEnd(int& fd)
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
};

// The opener is a script in a temporary folder that is the whole PATH, so no real xdg-open can be
// started. It reports on a pipe it inherits: the test reads that pipe to its end, which comes when
// the opener has exited, so nothing here depends on how long anything takes.
class OpenURL : public testing::Test {
protected:
    OpenURL()
    {
        EXPECT_GE(report.writeEnd, 0);
        EXPECT_GE(gate.readEnd, 0);
    }

    void writeOpener(const std::string& body)
    {
        dir.writeScript("xdg-open",
            ScriptDir::fillIn(R"(#!/bin/bash
printf 'argc %s\n' "$#" >&@REPORT@
for argument in "$@"; do printf 'arg %s\n' "$argument" >&@REPORT@; done
)" + body,
                { { "REPORT", std::to_string(report.writeEnd) }, { "GATE", std::to_string(gate.readEnd) } }));
    }

    std::vector<std::string> reportLines()
    {
        report.closeWrite();
        std::vector<std::string> lines;
        std::istringstream in(report.readToEnd());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    ScriptDir dir;
    ScopedEnvironmentVariable searchPath { "PATH", dir.path().string() };
    Pipe report;
    Pipe gate;
    RealSystem system;
};

TEST_F(OpenURL, HandsTheURLToTheOpenerAsItsOneArgument)
{
    writeOpener("");
    std::string url = "https://example.invalid/a b?x='1'&y=\"$HOME\";touch /tmp/zentrova-test`id`|*";
    EXPECT_EQ(system.openURL(url), 0);
    EXPECT_THAT(reportLines(), ElementsAre("argc 1", "arg " + url));
}

TEST_F(OpenURL, ReturnsWithoutWaitingForTheOpener)
{
    // The opener waits at the gate until the test opens it, which the test can only do once
    // openURL has returned. Had openURL waited, the opener would give up and say so.
    writeOpener(R"(if read -r -t 20 word <&@GATE@; then
    printf 'let through %s\n' "$word" >&@REPORT@
else
    printf 'gave up waiting\n' >&@REPORT@
fi
)");
    ASSERT_EQ(system.openURL("https://example.invalid/"), 0);
    ASSERT_EQ(write(gate.writeEnd, "open\n", 5), 5);
    EXPECT_THAT(reportLines(), ElementsAre("argc 1", "arg https://example.invalid/", "let through open"));
}

TEST_F(OpenURL, FailsWhenThereIsNoOpener)
{
    EXPECT_EQ(system.openURL("https://example.invalid/"), -1);
}

TEST_F(OpenURL, RefusesAURLWithANulByte)
{
    writeOpener("");
    EXPECT_EQ(system.openURL(std::string("https://example.invalid/\0evil", 29)), -1);
    EXPECT_THAT(reportLines(), testing::IsEmpty());
}

} // namespace
