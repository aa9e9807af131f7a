#include "platform/host/Automation.h"
#include "platform/uikit/UITextView.h"

#include "app/Zentrova3Application.h"
#include "platform/uikit/UIButton.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

namespace {

AutomationCommand command(const std::string& line)
{
    auto script = parseAutomationScript(line, CGSize { 320, 480 });
    EXPECT_EQ(script.error, "") << line;
    return script.commands.empty() ? AutomationCommand { } : script.commands.front();
}

TEST(DragAutomation, Grammar)
{
    auto script = parseAutomationScript("drag #changes \"Version 2\" 1.5\ndrag 10,20 30,40\ndrag \"a b\" 5,5 10\n");
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.commands.size(), 3u);
    EXPECT_EQ(script.commands[0].argument, "#changes \"Version 2\" 1.5");

    for (const char* bad : { "drag", "drag #a", "drag #a #b 0", "drag #a #b -1", "drag #a #b 10.5", "drag #a #b nan",
             "drag #a #b inf", "drag #a #b 1 2", "drag #a \"open", "drag 10,20 400,20", "drag # #b", "drag #a #b 1s" }) {
        SCOPED_TRACE(bad);
        auto result = parseAutomationScript(std::string("settle\n") + bad, CGSize { 320, 480 });
        // The whole script is refused, and the message names the line.
        EXPECT_EQ(result.error.rfind("line 2: ", 0), 0u) << result.error;
        EXPECT_TRUE(result.commands.empty());
    }
}

TEST(DragAutomation, ScrollsTheChangelogAndHoldsLikeAFinger)
{
    AppHarness app({ .device = "iphone-4s", .preferences = {} });
    auto& automation = app.automation();
    app.tap("\"Changelog\"");
    auto* changes = dynamic_cast<UITextView*>(app.application().hitTest({ 160, 300 }));
    ASSERT_TRUE(changes);

    // Up by 150 points: the content follows the finger.
    EXPECT_EQ(automation.execute(command("drag 160,400 160,250")), "");
    EXPECT_EQ(changes->contentOffset().y, 150);
    EXPECT_EQ(changes->selectedRange().length, 0u);
    // From one element to another, by name.
    EXPECT_EQ(automation.execute(command("drag #changes 160,100 0.5")), "");
    EXPECT_GT(changes->contentOffset().y, 150);

    // A short still press selects nothing; one held past the long press selects the word.
    EXPECT_EQ(automation.execute(command("drag 160,300 160,300 0.1")), "");
    EXPECT_EQ(changes->selectedRange().length, 0u);
    EXPECT_EQ(automation.execute(command("drag 160,300 160,300 1")), "");
    EXPECT_GT(changes->selectedRange().length, 0u);

    // Selectors are resolved as for a tap, with the same errors.
    EXPECT_NE(automation.execute(command("drag #nothing 10,10")).find("nothing on screen matches #nothing"), std::string::npos);
}

} // namespace
