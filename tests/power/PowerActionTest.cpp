#include "power/PowerAction.h"
#include "power/PowerPolicy.h"

#include "platform/system/PrivilegedHelperProtocol.h"
#include "platform/system/System.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Calls = std::vector<std::string>;

struct ExpectedAction {
    NSInteger tag;
    const char* field;
    const char* handler;
    const char* title;
    size_t messageLength;
    Calls sequence;
};

const std::vector<ExpectedAction>& expectedCatalogue()
{
    static const std::vector<ExpectedAction> table {
        { 1, "rebootButton", "rebootButtonPressed", "Reboot", 84, { "setuid(0)", "setgid(0)", "system(\"kill 1\")" } },
        { 2, "shutdownButton", "shutdownButtonPressed", "Shut Down", 86, { "setuid(0)", "setgid(0)", "system(\"halt\")" } },
        { 3, "respringButton", "respringButtonPressed", "Respring", 73, { "system(\"killall -9 SpringBoard\")" } },
        { 4, "safemodeButton", "safemodeButtonPressed", "Safe Mode", 82,
            { "system(\"touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat\")",
                "system(\"killall SpringBoard\")" } },
        { 5, "noSubstrateButton", "noSubstrateButtonPressed", "Non-MobileSubstrate Mode", 147,
            { "system(\"killall -SEGV SpringBoard\")" } },
        { 6, "minispringButton", "minispringButtonPressed", "Refresh Cache", 178, { "system(\"uicache\")" } },
    };
    return table;
}

TEST(PowerAction, CatalogueInTagOrder)
{
    auto actions = powerActions();
    ASSERT_EQ(actions.size(), expectedCatalogue().size());
    for (size_t i = 0; i < actions.size(); ++i) {
        auto& expected = expectedCatalogue()[i];
        SCOPED_TRACE(expected.title);
        EXPECT_EQ(actions[i].tag, expected.tag);
        EXPECT_EQ(actions[i].buttonField, expected.field);
        EXPECT_EQ(actions[i].pressHandler, expected.handler);
        EXPECT_EQ(actions[i].title, expected.title);
        EXPECT_EQ(actions[i].message.size(), expected.messageLength);
        EXPECT_EQ(powerActionWithTag(expected.tag), &actions[i]);
    }
    EXPECT_EQ(powerActionWithTag(0), nullptr);
    EXPECT_EQ(powerActionWithTag(7), nullptr);
    EXPECT_EQ(powerActionWithTag(-1), nullptr);
}

TEST(PowerAction, MessagesToTheCharacter)
{
    EXPECT_EQ(powerActionWithTag(1)->message,
        "This will REBOOT your system.  Not recommended for tethered jailbreakers!  Continue?");
    EXPECT_EQ(powerActionWithTag(2)->message,
        "This will SHUTDOWN your system.  Not recommended for tethered jailbreakers!  Continue?");
    EXPECT_EQ(powerActionWithTag(3)->message, "This will Respring your system.  This will kill all processes!  Continue?");
    EXPECT_EQ(powerActionWithTag(4)->message,
        "This will put your system into Safemode.  This will kill all processes!  Continue?");
    EXPECT_EQ(powerActionWithTag(5)->message,
        "Using this in Safemode will put it into Non-MobileSubstrate Mode.\tAny other mode will put it into Safemode "
        "This will kill all processes!\n\nContinue?");
    EXPECT_EQ(powerActionWithTag(6)->message,
        "This refreshes the SpringBoard so you can see your new apps without respringing.  This will temporarily freeze "
        "your Home Screen (Exit this app after this is complete)!\n\nContinue?");

    // Only messages 5 and 6 carry control characters: a TAB in 5, and an empty line in both.
    for (auto& action : powerActions()) {
        SCOPED_TRACE(action.title);
        auto tabs = std::count(action.message.begin(), action.message.end(), '\t');
        auto feeds = std::count(action.message.begin(), action.message.end(), '\n');
        EXPECT_EQ(tabs, action.tag == 5 ? 1 : 0);
        EXPECT_EQ(feeds, action.tag >= 5 ? 2 : 0);
        EXPECT_TRUE(std::all_of(action.message.begin(), action.message.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    }
    EXPECT_NE(powerActionWithTag(5)->message.find("Safemode This"), std::string_view::npos);
}

TEST(PowerAction, ExecutionSequences)
{
    for (auto& expected : expectedCatalogue()) {
        SCOPED_TRACE(expected.title);
        RecordingSystem system;
        executePowerAction(*powerActionWithTag(expected.tag), system);
        EXPECT_EQ(system.calls(), expected.sequence);
    }
}

// The privileged helper keeps its own copy of the lines it runs as root; they must be the
// catalogue's lines of the two actions that take the root identity, and only those.
TEST(PowerAction, ThePrivilegedHelperRunsExactlyTheRootActionsLines)
{
    std::vector<std::pair<NSInteger, std::string>> rootLines;
    for (auto& action : powerActions()) {
        if (action.rootIdentity == RootIdentity::TakeRoot) {
            for (auto line : action.commands)
                rootLines.emplace_back(action.tag, line);
        }
    }
    std::vector<std::pair<NSInteger, std::string>> helperLines;
    for (auto& command : privileged_helper::kCommands)
        helperLines.emplace_back(NSInteger(command.request), command.line);
    EXPECT_EQ(helperLines, rootLines);
}

TEST(PowerPolicy, PressWithAlertsOffExecutesAtOnce)
{
    for (auto& expected : expectedCatalogue()) {
        SCOPED_TRACE(expected.title);
        RecordingSystem system;
        auto request = pressPowerAction(*powerActionWithTag(expected.tag), false, system);
        EXPECT_FALSE(request.has_value());
        EXPECT_EQ(system.calls(), expected.sequence);
    }
}

TEST(PowerPolicy, PressWithAlertsOnAsksAndExecutesNothing)
{
    for (auto& action : powerActions()) {
        SCOPED_TRACE(action.title);
        RecordingSystem system;
        auto request = pressPowerAction(action, true, system);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->title, "Are you sure?");
        EXPECT_EQ(request->message, action.message);
        EXPECT_EQ(request->cancelButtonTitle, "No");
        EXPECT_EQ(request->otherButtonTitle, "Yes");
        EXPECT_EQ(request->tag, action.tag);
        EXPECT_TRUE(system.calls().empty());
    }
}

TEST(PowerPolicy, YesRunsTheSameSequenceAsADirectPress)
{
    for (auto& expected : expectedCatalogue()) {
        SCOPED_TRACE(expected.title);
        RecordingSystem system;
        answerPowerConfirmation([&] { return expected.tag; }, 1, system);
        EXPECT_EQ(system.calls(), expected.sequence);
    }
}

TEST(PowerPolicy, OnlyYesForAKnownTagExecutes)
{
    struct Case {
        NSInteger tag;
        NSInteger index;
    };
    for (auto c : { Case { 1, 0 }, Case { 6, 0 }, Case { 0, 1 }, Case { 7, 1 }, Case { -1, 1 }, Case { 3, 2 }, Case { 3, -1 } }) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag << " index " << c.index);
        RecordingSystem system;
        answerPowerConfirmation([&] { return c.tag; }, c.index, system);
        EXPECT_TRUE(system.calls().empty());
    }
}

TEST(PowerPolicy, TheTagIsReadAfreshForEveryAction)
{
    // The walk asks once for each of the six tags, also after a match.
    int reads = 0;
    RecordingSystem system;
    answerPowerConfirmation([&] { ++reads; return NSInteger(6); }, 1, system);
    EXPECT_EQ(reads, 6);
    EXPECT_EQ(system.calls(), Calls { "system(\"uicache\")" });

    // A tag that changed between reads is seen as it is at each read.
    reads = 0;
    system.clear();
    answerPowerConfirmation([&] { return NSInteger(++reads); }, 1, system);
    EXPECT_EQ(reads, 6);
    Calls all;
    for (auto& expected : expectedCatalogue())
        all.insert(all.end(), expected.sequence.begin(), expected.sequence.end());
    EXPECT_EQ(system.calls(), all);
}

} // namespace
