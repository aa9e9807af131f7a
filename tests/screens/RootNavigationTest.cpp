#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "screens/ChangelogViewController.h"
#include "screens/SettingsViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// "Changelog" and "Settings" on the root screen, in both builds.
namespace {

TEST(RootNavigation, EveryPressOpensANewScreen)
{
    AppHarness app;
    // Held here so that no address is reused while the screens are compared.
    std::vector<std::shared_ptr<UIViewController>> seen;
    std::vector<std::weak_ptr<UIViewController>> alive;
    for (const char* button : { "\"Changelog\"", "\"Settings\"", "\"Changelog\"", "\"Settings\"" }) {
        SCOPED_TRACE(button);
        app.tap(button);
        auto* presented = app.root().presentedViewController();
        ASSERT_TRUE(presented);
        for (auto& earlier : seen)
            EXPECT_NE(earlier.get(), presented);
        seen.push_back(presented->retainSelf<UIViewController>());
        alive.push_back(presented->weakSelf<UIViewController>());
        app.tap("\"Back\"");
        EXPECT_EQ(app.root().presentedViewController(), nullptr);
    }
    // The root screen keeps none of them.
    seen.clear();
    for (auto& weak : alive)
        EXPECT_TRUE(weak.expired());
}

TEST(RootNavigation, OnlySettingsRegistersAndEveryPressAgain)
{
    AppHarness app;
    auto& center = NSNotificationCenter::defaultCenter();
    for (int i = 0; i < 3; ++i) {
        app.tap("\"Changelog\"");
        app.tap("\"Back\"");
    }
    EXPECT_EQ(center.registrationCount(&app.root()), 0u);
    for (size_t i = 1; i <= 3; ++i) {
        app.tap("\"Settings\"");
        EXPECT_EQ(center.registrationCount(&app.root()), i);
        app.tap("\"Back\"");
    }
}

// Three visits register colorMe three times; one theme change then recolours the root screen
// three times, to the same colours as once, and it shows when "Back" uncovers it.
TEST(RootNavigation, AThemeChangeReachesTheRootUnderneath)
{
    AppHarness app;
    for (int i = 0; i < 2; ++i) {
        app.tap("\"Settings\"");
        app.tap("\"Back\"");
    }
    app.tap("\"Settings\"");
    app.tap("#lightSwitch");
    app.tap("\"Back\"");
    auto afterThree = app.tree();
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::whiteColor());

    // The same change with one registration leaves the same root screen.
    AppHarness once;
    once.tap("\"Settings\"");
    once.tap("#lightSwitch");
    once.tap("\"Back\"");
    auto afterOne = once.tree();
    afterOne.erase("notificationObservers");
    afterThree.erase("notificationObservers");
    EXPECT_EQ(afterThree, afterOne);

    // The next changelog opens in the new theme.
    app.tap("\"Changelog\"");
    auto* changelog = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
    ASSERT_TRUE(changelog);
    EXPECT_EQ(changelog->changes->backgroundColor(), UIColor::whiteColor());
}

// A second tap on a bar button while the first screen is still sliding in opens nothing more.
TEST(RootNavigation, ADoubleTapDuringTheSlideOpensOneScreen)
{
    for (const char* title : { "Changelog", "Settings" }) {
        SCOPED_TRACE(title);
        AppHarness app;
        auto* item = std::string(title) == "Changelog" ? app.root().navItem->leftBarButtonItem()
                                                          : app.root().navItem->rightBarButtonItem();
        item->sendAction();
        item->sendAction();
        Automation::settle();
        EXPECT_EQ(app.application().presentationStack().presentations().size(), 1u);
    }
}

} // namespace
