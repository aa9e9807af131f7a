#include "platform/system/System.h"

#include "power/PowerAction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

using testing::ElementsAre;

namespace {

// Keeps what had been written at each flush, to show that every line is flushed on its own.
class FlushRecordingBuffer : public std::stringbuf {
public:
    std::vector<std::string> flushed;

protected:
    int sync() override
    {
        flushed.push_back(str());
        return 0;
    }
};

TEST(DryRunSystem, PrintsEachCallOnALineAndSucceeds)
{
    std::ostringstream out;
    DryRunSystem dryRun(out);
    EXPECT_EQ(dryRun.setuid(0), 0);
    EXPECT_EQ(dryRun.setgid(0), 0);
    EXPECT_EQ(dryRun.system("killall -9 SpringBoard"), 0);
    EXPECT_EQ(dryRun.openURL("https://example.invalid/donate?a=1&b=2"), 0);
    EXPECT_EQ(out.str(),
        "setuid(0)\n"
        "setgid(0)\n"
        "system(\"killall -9 SpringBoard\")\n"
        "openURL(\"https://example.invalid/donate?a=1&b=2\")\n");
}

TEST(DryRunSystem, EscapedArgumentsKeepEachCallOnOneLine)
{
    std::ostringstream out;
    DryRunSystem dryRun(out);
    dryRun.system("printf \"a\\tb\"\n\tuicache");
    dryRun.openURL("https://example.invalid/\"quoted\"\\path\r\n");
    EXPECT_EQ(out.str(),
        R"(system("printf \"a\\tb\"\n\tuicache"))"
        "\n"
        R"(openURL("https://example.invalid/\"quoted\"\\path\r\n"))"
        "\n");
}

TEST(DryRunSystem, FlushesAfterEveryLine)
{
    FlushRecordingBuffer buffer;
    std::ostream out(&buffer);
    DryRunSystem dryRun(out);
    dryRun.setuid(0);
    dryRun.system("uicache");
    EXPECT_THAT(buffer.flushed, ElementsAre("setuid(0)\n", "setuid(0)\nsystem(\"uicache\")\n"));
}

TEST(RecordingSystem, RecordsCallsInOrderInTheDryRunNotation)
{
    RecordingSystem recorder;
    EXPECT_EQ(recorder.setgid(0), 0);
    EXPECT_EQ(recorder.system("a\tb"), 0);
    EXPECT_EQ(recorder.openURL("https://example.invalid/"), 0);
    EXPECT_EQ(recorder.setuid(0), 0);
    EXPECT_THAT(recorder.calls(),
        ElementsAre("setgid(0)", R"(system("a\tb"))", R"(openURL("https://example.invalid/"))", "setuid(0)"));

    recorder.clear();
    EXPECT_TRUE(recorder.calls().empty());
    recorder.system("uicache");
    EXPECT_THAT(recorder.calls(), ElementsAre(R"(system("uicache"))"));
}

TEST(RecordingSystem, SeesEveryPowerActionAsTheCatalogueDescribesIt)
{
    RecordingSystem recorder;
    for (auto& action : powerActions())
        executePowerAction(action, recorder);
    EXPECT_THAT(recorder.calls(),
        ElementsAre("setuid(0)", "setgid(0)", R"(system("kill 1"))", "setuid(0)", "setgid(0)", R"(system("halt"))",
            R"(system("killall -9 SpringBoard"))",
            R"(system("touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat"))",
            R"(system("killall SpringBoard"))", R"(system("killall -SEGV SpringBoard"))", R"(system("uicache"))"));
}

// Every test that installs an implementation puts the previous one back, so that the default is
// seen here whatever ran before.
TEST(CurrentSystem, DefaultsToADryRunOnStandardOutput)
{
    auto* dryRun = dynamic_cast<DryRunSystem*>(&System::current());
    // Nothing below may reach a real shell, so stop unless the default really is the printer.
    ASSERT_NE(dryRun, nullptr);

    std::ostringstream captured;
    auto* original = std::cout.rdbuf(captured.rdbuf());
    dryRun->system("uicache");
    std::cout.rdbuf(original);
    EXPECT_EQ(captured.str(), "system(\"uicache\")\n");
}

TEST(CurrentSystem, SetCurrentInstallsAndReturnsThePreviousOne)
{
    auto first = std::make_shared<RecordingSystem>();
    auto second = std::make_shared<RecordingSystem>();

    auto original = System::setCurrent(first);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(&System::current(), first.get());

    EXPECT_EQ(System::setCurrent(second), first);
    System::current().system("uicache");
    EXPECT_TRUE(first->calls().empty());
    EXPECT_THAT(second->calls(), ElementsAre(R"(system("uicache"))"));

    EXPECT_EQ(System::setCurrent(original), second);
    EXPECT_EQ(&System::current(), original.get());
}

TEST(CurrentSystem, InstallingNothingBringsBackADryRun)
{
    auto recorder = std::make_shared<RecordingSystem>();
    auto original = System::setCurrent(recorder);

    EXPECT_EQ(System::setCurrent(nullptr), recorder);
    EXPECT_NE(dynamic_cast<DryRunSystem*>(&System::current()), nullptr);

    System::setCurrent(original);
}

} // namespace
