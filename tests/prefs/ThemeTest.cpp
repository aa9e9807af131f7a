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

TEST(Preferences, NeverWrittenReadsNoAndWritesLastAcrossRestarts)
{
    AppHarness app({ .launch = false });
    EXPECT_FALSE(readPreference(kLightSwitchKey));
    EXPECT_FALSE(readPreference(kAlertSwitchKey));
    EXPECT_EQ(Theme::stored(), Theme::fromLightSwitch(false));

    auto observer = CountingObserver::create();
    for (int i = 0; i < 3; ++i) {
        NSNotificationCenter::defaultCenter().addObserver(observer.get(), NSSELECTOR(CountingObserver, observe),
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
