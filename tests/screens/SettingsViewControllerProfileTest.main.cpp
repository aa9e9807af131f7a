#include "screens/SettingsViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The main build's settings screen: switches 66 points in from the right, the tall bar with its
// constraint, and a theme that reaches the bar and the status bar too.
namespace {

SettingsViewController* openSettings(AppHarness& app)
{
    app.tap("\"Settings\"");
    return dynamic_cast<SettingsViewController*>(app.root().presentedViewController());
}

struct FrameCase {
    const char* device;
    CGFloat width;
    CGFloat switchX;
    CGRect donate;
};

TEST(SettingsViewControllerMain, FramesForEachApplicationFrame)
{
    const FrameCase cases[] = {
        { "iphone-5s", 320, 254, CGRectMake(87, 348, 147, 47) },
        { "iphone-4s", 320, 254, CGRectMake(87, 260, 147, 47) },
        { "ipad", 768, 702, CGRectMake(311, 804, 147, 47) },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device });
        auto* screen = openSettings(app);
        ASSERT_TRUE(screen);
        // The switches keep the platform's size whatever frame they were given.
        EXPECT_EQ(screen->lightSwitch->frame(), CGRectMake(c.switchX, 120, 51, 31));
        EXPECT_EQ(screen->alertSwitch->frame(), CGRectMake(c.switchX, 180, 51, 31));
        EXPECT_EQ(screen->lightsLabel->frame(), CGRectMake(15, 120, 110, 31));
        EXPECT_EQ(screen->textLabel1->frame(), CGRectMake(15, 180, 110, 31));
        EXPECT_EQ(screen->view()->subviews()[3]->frame(), c.donate);
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, c.width, 64));
        ASSERT_EQ(screen->view()->constraints().size(), 1u);
        EXPECT_EQ(screen->view()->constraints().front()->constant(), 64.0);
        EXPECT_EQ(screen->positionForBar(*screen->navBar), UIBarPositionTopAttached);
    }
}

// Flipping "Light Theme" applies the theme in the fixed order (status bar, bar tint, background,
// the two labels, the bar title) before it stores the value.
TEST(SettingsViewControllerMain, LightThemeSwitchRecoloursThenStores)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    app.tap("#lightSwitch");
    EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleDefault);
    EXPECT_EQ(screen->navBar->barTintColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->lightsLabel->textColor(), UIColor::blackColor());
    EXPECT_EQ(screen->textLabel1->textColor(), UIColor::blackColor());
    EXPECT_EQ(*valueForKey<UIColor>(screen->navBar->titleTextAttributes(), NSForegroundColorAttributeName),
        UIColor::blackColor());
}

TEST(SettingsViewControllerMain, BackAddsTheRevealTransitionToItsOwnView)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    auto held = screen->retainSelf<SettingsViewController>();
    app.tap("\"Back\"");
    auto animations = held->view()->layer().addedAnimations();
    ASSERT_EQ(animations.size(), 1u);
    EXPECT_EQ(animations[0].key, kCATransition);
}

} // namespace
