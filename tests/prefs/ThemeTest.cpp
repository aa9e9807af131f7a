#include "prefs/Theme.h"

#include "app/Zentrova3Application.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UINavigationBar.h"
#include "prefs/Preferences.h"
#include "tests/support/AppHarness.h"
#include "tests/support/CountingObserver.h"

#include <gtest/gtest.h>

namespace {

TEST(Theme, Roles)
{
    auto light = Theme::fromLightSwitch(true);
    auto dark = Theme::fromLightSwitch(false);
    EXPECT_EQ(light.background(), UIColor::whiteColor());
    EXPECT_EQ(light.foreground(), UIColor::blackColor());
    EXPECT_EQ(light.statusBarStyle(), UIStatusBarStyleDefault);
    EXPECT_EQ(dark.background(), UIColor::blackColor());
    EXPECT_EQ(dark.foreground(), UIColor::whiteColor());
    EXPECT_EQ(dark.statusBarStyle(), UIStatusBarStyleLightContent);
}

TEST(Theme, AppliedInTheFixedOrder)
{
    AppHarness app({ .launch = false });
    auto bar = UINavigationBar::create();
    auto root = UIView::create();
    auto theme = Theme::fromLightSwitch(false);
    bool sawScreenStep = false;
    applyTheme(theme, *bar, *root, [&](const Theme& given) {
        sawScreenStep = true;
        // Status bar, tint and background come before the screen's own colours, the title after.
        EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleLightContent);
        EXPECT_EQ(bar->barTintColor(), UIColor::blackColor());
        EXPECT_EQ(root->backgroundColor(), UIColor::blackColor());
        EXPECT_TRUE(bar->titleTextAttributes().empty());
        EXPECT_EQ(given, theme);
    });
    EXPECT_TRUE(sawScreenStep);
    ASSERT_EQ(bar->titleTextAttributes().size(), 1u);
    EXPECT_EQ(*valueForKey<UIColor>(bar->titleTextAttributes(), NSForegroundColorAttributeName), UIColor::whiteColor());
    // The status bar changes with its fade.
    EXPECT_LT(app.application().statusBar().transition(), 1.0);
}

TEST(Preferences, NeverWrittenReadsNoAndWritesLastAcrossRestarts)
{
    AppHarness app({ .launch = false });
    EXPECT_FALSE(readPreference(kLightSwitchKey));
    EXPECT_FALSE(readPreference(kAlertSwitchKey));
    EXPECT_EQ(Theme::stored(), Theme::fromLightSwitch(false));

    auto observer = CountingObserver::create();
    for (int i = 0; i < 3; ++i) {
        NSNotificationCenter::defaultCenter().addObserver(observer.get(), &CountingObserver::observe,
            NSUserDefaultsDidChangeNotification, nullptr);
    }
    writePreference(true, kLightSwitchKey);
    EXPECT_EQ(observer->calls, 3);
    writePreference(false, kAlertSwitchKey);
    EXPECT_EQ(observer->calls, 6);

    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(readPreference(kLightSwitchKey));
    EXPECT_FALSE(readPreference(kAlertSwitchKey));
    EXPECT_EQ(Theme::stored(), Theme::fromLightSwitch(true));
}

} // namespace
