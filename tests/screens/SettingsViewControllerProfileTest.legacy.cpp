#include "screens/SettingsViewController.h"

#include "app/Zentrova3Application.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The legacy settings screen: the wide 79 x 27 switches 106 points in from the right, labels as high, a black 44-point bar, the
// opaque black status bar, and a theme that reaches only the background and the labels.
namespace {

static_assert(!std::is_base_of_v<UIBarPositioningDelegate, SettingsViewController>);

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

TEST(SettingsViewControllerLegacy, FramesForEachApplicationFrame)
{
    const FrameCase cases[] = {
        { "iphone-5s", 320, 214, CGRectMake(87, 348, 147, 47) },
        { "iphone-4s", 320, 214, CGRectMake(87, 260, 147, 47) },
        { "ipad", 768, 662, CGRectMake(311, 804, 147, 47) },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device });
        auto* screen = openSettings(app);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->lightSwitch->frame(), CGRectMake(c.switchX, 120, 79, 27));
        EXPECT_EQ(screen->alertSwitch->frame(), CGRectMake(c.switchX, 180, 79, 27));
        EXPECT_EQ(screen->lightsLabel->frame(), CGRectMake(15, 120, 110, 27));
        EXPECT_EQ(screen->textLabel1->frame(), CGRectMake(15, 180, 110, 27));
        EXPECT_EQ(screen->view()->subviews()[3]->frame(), c.donate);
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, c.width, 44));
        EXPECT_TRUE(screen->view()->constraints().empty());
        EXPECT_EQ(screen->navBar->barStyle(), UIBarStyleBlack);
        EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleBlackOpaque);
    }
}

TEST(SettingsViewControllerLegacy, LightThemeSwitchRecoloursOnlyTheBackgroundAndLabels)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    auto bar = app.tree()["presented"][0]["view"]["subviews"][5];
    app.tap("#lightSwitch");
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->lightsLabel->textColor(), UIColor::blackColor());
    EXPECT_EQ(screen->textLabel1->textColor(), UIColor::blackColor());
    EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleBlackOpaque);
    EXPECT_EQ(app.tree()["presented"][0]["view"]["subviews"][5], bar);
    // The root screen underneath turned light through its registration; its bar did not change.
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(app.root().navBar->barStyle(), UIBarStyleBlack);
}

} // namespace
