#include "screens/ChangelogViewController.h"

#include "screens/RootViewController.h"
#include "tests/screens/ScreenLookRows.h"

// The changelog's frames, bar and theme as each build shows them.
namespace {

ChangelogViewController* openChangelog(AppHarness& app)
{
    app.tap("\"Changelog\"");
    return dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
}

TEST(ChangelogViewControllerProfile, FramesForEachDevice)
{
    SCOPED_TRACE(kLook.build);
    struct Case {
        const char* device;
        CGFloat width;
        CGFloat height;
    };
    for (auto& c : { Case { "iphone-4s", 320, 460 }, Case { "iphone-5s", 320, 548 }, Case { "ipad", 768, 1004 } }) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device, .preferences = {} });
        auto* screen = openChangelog(app);
        ASSERT_TRUE(screen);
        // The text view starts below the bar but is as tall as the view less 44, so in the main
        // build its bottom lies 20 points below the view's.
        EXPECT_EQ(screen->changes->frame(), CGRectMake(0, kLook.barHeight, c.width, c.height - 44));
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, c.width, kLook.barHeight));
        expectBarHeightPin(*screen->view(), *screen->navBar);
        expectBarPositionAnswer(*screen, *screen->navBar);
    }
}

TEST(ChangelogViewControllerProfile, ThemeOnTheBarAndTheStatusBar)
{
    SCOPED_TRACE(kLook.build);
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        auto* screen = openChangelog(app);
        ASSERT_TRUE(screen);
        expectThemedBar(app, *screen->navBar, light);
        EXPECT_EQ(screen->view()->backgroundColor(), light ? UIColor::whiteColor() : UIColor::blackColor());
    }
}

} // namespace
