#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "power/PowerAction.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

std::vector<UIButton*> powerButtons(RootViewController& root)
{
    return { root.rebootButton, root.shutdownButton, root.respringButton, root.safemodeButton, root.noSubstrateButton,
        root.minispringButton };
}

TEST(RootViewController, ViewTreeInOrder)
{
    AppHarness app;
    auto& root = app.root();
    auto& subviews = root.view()->subviews();
    ASSERT_EQ(subviews.size(), 7u);
    EXPECT_EQ(subviews[0].get(), root.navBar.get());
    auto buttons = powerButtons(root);
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(subviews[i + 1].get(), buttons[i]);

    ASSERT_EQ(root.navBar->items().size(), 1u);
    EXPECT_EQ(root.navBar->items().front().get(), root.navItem);
    EXPECT_EQ(root.navItem->title(), NSString("Zentrova"));
    ASSERT_TRUE(root.navItem->leftBarButtonItem());
    ASSERT_TRUE(root.navItem->rightBarButtonItem());
    EXPECT_EQ(root.navItem->leftBarButtonItem()->title(), NSString("Changelog"));
    EXPECT_EQ(root.navItem->rightBarButtonItem()->title(), NSString("Settings"));
    EXPECT_EQ(root.navItem->leftBarButtonItem()->style(), UIBarButtonItemStylePlain);
    EXPECT_EQ(root.navItem->rightBarButtonItem()->style(), UIBarButtonItemStylePlain);
    EXPECT_TRUE(root.navBar->isTranslucent());
    // Nothing in the app makes the screen its bar's delegate.
    EXPECT_EQ(root.navBar->delegate(), nullptr);
    // Every field is named after itself for the tree and the automation.
    EXPECT_EQ(root.navBar->accessibilityIdentifier(), NSString("navBar"));
    for (auto& row : RootViewController::powerButtons())
        EXPECT_EQ((root.*row.field.field)->accessibilityIdentifier(), NSString(row.field.name));
}

// The screen's table of buttons and the power catalogue name the same field, handler and title for
// every tag, and each button reaches its own action.
TEST(RootViewController, ButtonTableAgreesWithTheCatalogue)
{
    AppHarness app;
    auto& root = app.root();
    for (auto& row : RootViewController::powerButtons()) {
        const PowerAction* action = powerActionWithTag(row.tag);
        ASSERT_TRUE(action);
        SCOPED_TRACE(std::string(action->title));
        EXPECT_EQ(row.field.name, action->buttonField);
        EXPECT_EQ(row.handlerName, action->pressHandler);
        UIButton* button = root.*row.field.field;
        EXPECT_EQ(button->currentTitle(), NSString(action->title));
        app.system().clear();
        (root.*row.handler)();
        Automation::settle();
        RecordingSystem expected;
        executePowerAction(*action, expected);
        EXPECT_EQ(app.system().calls(), expected.calls());
    }
}

TEST(RootViewController, ColorMeFollowsTheStoreAndIsIdempotent)
{
    AppHarness app;
    auto before = app.tree();
    app.root().colorMe();
    EXPECT_EQ(app.tree(), before);

    writeStoredPreferences(app.deviceRoot().path(), { { "lightSwitch", true } });
    NSUserDefaults::resetStandardUserDefaults();
    app.root().colorMe();
    Automation::settle();
    auto once = app.tree();
    app.root().colorMe();
    Automation::settle();
    EXPECT_EQ(app.tree(), once);
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::whiteColor());
    // Nothing but the theme moved: the buttons keep frames and colours.
    EXPECT_EQ(app.root().rebootButton->frame(), CGRectMake(10, 50, 300, 30));
    EXPECT_EQ(app.root().rebootButton->titleColorForState(UIControlStateNormal), UIColor::redColor());
}

TEST(RootViewController, PressWithAlertsOffRunsAtOnce)
{
    const std::pair<const char*, Calls> presses[] = {
        { "#rebootButton", { "setuid(0)", "setgid(0)", "system(\"kill 1\")" } },
        { "\"Shut Down\"", { "setuid(0)", "setgid(0)", "system(\"halt\")" } },
        { "\"Respring\"", { "system(\"killall -9 SpringBoard\")" } },
        { "#safemodeButton",
            { "system(\"touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat\")",
                "system(\"killall SpringBoard\")" } },
        { "\"Non-MobileSubstrate Mode\"", { "system(\"killall -SEGV SpringBoard\")" } },
        { "\"Refresh Cache\"", { "system(\"uicache\")" } },
    };
    AppHarness app;
    for (auto& [selector, calls] : presses) {
        SCOPED_TRACE(selector);
        app.system().clear();
        app.tap(selector);
        EXPECT_EQ(app.system().calls(), calls);
        EXPECT_TRUE(app.application().shownAlerts().empty());
    }
}

TEST(RootViewController, PressWithAlertsOnAsksFirst)
{
    AppHarness app({ .preferences = { { "alertSwitch.enabled", true } } });
    app.tap("\"Safe Mode\"");
    EXPECT_TRUE(app.system().calls().empty());
    auto tree = app.tree();
    ASSERT_EQ(tree["alerts"].size(), 1u);
    auto& alert = tree["alerts"][0];
    EXPECT_EQ(alert["title"], "Are you sure?");
    EXPECT_EQ(alert["message"], "This will put your system into Safemode.  This will kill all processes!  Continue?");
    EXPECT_EQ(alert["buttons"], nlohmann::json::array({ "No", "Yes" }));
    EXPECT_EQ(alert["cancelButtonIndex"], 0);
    EXPECT_EQ(alert["tag"], 4);

    // The alert covers the screen: the buttons beneath take no taps.
    EXPECT_NE(app.automation().tap("\"Reboot\""), "");
    EXPECT_TRUE(app.system().calls().empty());

    app.tap("\"Yes\"");
    EXPECT_EQ(app.system().calls(),
        (Calls { "system(\"touch /var/mobile/Library/Preferences/com.belvon.mobilesubstrate.dat\")",
            "system(\"killall SpringBoard\")" }));
    EXPECT_TRUE(app.application().shownAlerts().empty());

    app.system().clear();
    app.tap("\"Reboot\"");
    app.tap("\"No\"");
    EXPECT_TRUE(app.system().calls().empty());
    EXPECT_TRUE(app.application().shownAlerts().empty());

    app.tap("\"Shut Down\"");
    app.tap("\"Yes\"");
    EXPECT_EQ(app.system().calls(), (Calls { "setuid(0)", "setgid(0)", "system(\"halt\")" }));
}

TEST(RootViewController, PreferenceIsReadAtEveryPress)
{
    AppHarness app;
    app.tap("\"Respring\"");
    EXPECT_EQ(app.system().calls().size(), 1u);

    NSUserDefaults::standardUserDefaults().setBool(true, "alertSwitch.enabled");
    app.tap("\"Respring\"");
    EXPECT_EQ(app.system().calls().size(), 1u);
    ASSERT_EQ(app.application().shownAlerts().size(), 1u);

    // Once the alert is up, "Yes" runs the action whatever the preference says by then.
    NSUserDefaults::standardUserDefaults().setBool(false, "alertSwitch.enabled");
    app.tap("\"Yes\"");
    EXPECT_EQ(app.system().calls(), (Calls { "system(\"killall -9 SpringBoard\")", "system(\"killall -9 SpringBoard\")" }));
}

TEST(RootViewController, TouchTracking)
{
    AppHarness app;
    auto* button = app.root().respringButton;
    CGRect frame = button->frameInWindow();
    CGPoint inside { frame.midX(), frame.midY() };
    CGPoint outside { frame.midX(), frame.maxY() + 15 };
    auto& application = app.application();

    // Down highlights; a drag out and release fires nothing.
    application.sendTouch(UITouchPhase::Began, inside);
    EXPECT_TRUE(button->isHighlighted());
    application.sendTouch(UITouchPhase::Moved, outside);
    EXPECT_FALSE(button->isHighlighted());
    application.sendTouch(UITouchPhase::Ended, outside);
    Automation::settle();
    EXPECT_TRUE(app.system().calls().empty());

    // Out and back in again, then up inside, fires once.
    application.sendTouch(UITouchPhase::Began, inside);
    application.sendTouch(UITouchPhase::Moved, outside);
    application.sendTouch(UITouchPhase::Moved, inside);
    EXPECT_TRUE(button->isHighlighted());
    application.sendTouch(UITouchPhase::Ended, inside);
    Automation::settle();
    EXPECT_EQ(app.system().calls(), Calls { "system(\"killall -9 SpringBoard\")" });

    // A touch that starts beside the button and ends on it is not the button's.
    app.system().clear();
    application.sendTouch(UITouchPhase::Began, outside);
    application.sendTouch(UITouchPhase::Ended, inside);
    Automation::settle();
    EXPECT_TRUE(app.system().calls().empty());
    EXPECT_FALSE(button->isHighlighted());

    // Hit testing is half-open: the bottom edge belongs to what lies below.
    EXPECT_EQ(application.hitTest({ frame.midX(), frame.maxY() - CGFloat(0.5) }), button);
    EXPECT_NE(application.hitTest({ frame.midX(), frame.maxY() }), button);
}

} // namespace
