#include "screens/SettingsViewController.h"

#include "screens/RootViewController.h"
#include "tests/screens/ScreenLookRows.h"

// The settings screen as each build shows it: the switches of the build's look and their inset,
// the bar, and how far the theme reaches.
namespace {

SettingsViewController* openSettings(AppHarness& app)
{
    app.tap("\"Settings\"");
    return dynamic_cast<SettingsViewController*>(app.root().presentedViewController());
}

struct FrameCase {
    const char* device;
    CGFloat width;
    CGRect donate;
};

TEST(SettingsViewControllerProfile, FramesForEachApplicationFrame)
{
    SCOPED_TRACE(kLook.build);
    const FrameCase cases[] = {
        { "iphone-5s", 320, CGRectMake(87, 348, 147, 47) },
        { "iphone-4s", 320, CGRectMake(87, 260, 147, 47) },
        { "ipad", 768, CGRectMake(311, 804, 147, 47) },
    };
    const CGSize size = kLook.switchSize;
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device, .preferences = {} });
        auto* screen = openSettings(app);
        ASSERT_TRUE(screen);
        // The switches keep the look's size whatever frame they were given; the labels are as high.
        const CGFloat switchX = c.width - kLook.switchInset;
        EXPECT_EQ(screen->lightSwitch->frame(), CGRectMake(switchX, 120, size.width, size.height));
        EXPECT_EQ(screen->alertSwitch->frame(), CGRectMake(switchX, 180, size.width, size.height));
        EXPECT_EQ(screen->lightsLabel->frame(), CGRectMake(15, 120, 110, size.height));
        EXPECT_EQ(screen->textLabel1->frame(), CGRectMake(15, 180, 110, size.height));
        EXPECT_EQ(screen->view()->subviews()[3]->frame(), c.donate);
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, c.width, kLook.barHeight));
        expectBarHeightPin(*screen->view(), *screen->navBar);
        expectBarPositionAnswer(*screen, *screen->navBar);
        expectThemedBar(app, *screen->navBar, false);
    }
}

// Flipping "Light Theme" recolours the screen, and the root screen beneath through its
// registration, before it stores the value. Where the theme stops short of the bars, the bar is
// left as it was.
TEST(SettingsViewControllerProfile, LightThemeSwitchRecoloursThenStores)
{
    SCOPED_TRACE(kLook.build);
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    auto bar = app.tree()["presented"][0]["view"]["subviews"][5];
    app.tap("#lightSwitch");
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->lightsLabel->textColor(), UIColor::blackColor());
    EXPECT_EQ(screen->textLabel1->textColor(), UIColor::blackColor());
    expectThemedBar(app, *screen->navBar, true);
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::whiteColor());
    expectThemedBar(app, *app.root().navBar, true);
    if (!kLook.themeReachesBars) {
        EXPECT_EQ(app.tree()["presented"][0]["view"]["subviews"][5], bar);
    }
}

} // namespace
