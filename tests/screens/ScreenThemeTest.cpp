#include "screens/ScreenTheme.h"

#include "platform/uikit/UINavigationBar.h"
#include "tests/screens/ScreenLookRows.h"

// The dark theme applied to a bare bar and view: status bar, bar and background come before the
// screen's own colours, and the main build's bar title after them.
TEST(ScreenTheme, AppliedInTheFixedOrder)
{
    SCOPED_TRACE(kLook.build);
    AppHarness app({ .preferences = {}, .launch = false });
    auto bar = UINavigationBar::create();
    bar->setTranslucent(true);
    auto root = UIView::create();
    auto theme = Theme::fromLightSwitch(false);
    bool sawScreenStep = false;
    applyTheme(theme, *bar, *root, [&](const Theme& given) {
        sawScreenStep = true;
        EXPECT_EQ(app.application().statusBarStyle(),
            kLook.themeReachesBars ? UIStatusBarStyleLightContent : UIStatusBarStyleBlackOpaque);
        EXPECT_EQ(bar->barTintColor(), kLook.themeReachesBars ? std::optional(UIColor::blackColor()) : std::nullopt);
        EXPECT_EQ(root->backgroundColor(), UIColor::blackColor());
        EXPECT_TRUE(bar->titleTextAttributes().empty());
        EXPECT_EQ(given, theme);
    });
    EXPECT_TRUE(sawScreenStep);
    expectThemedBar(app, *bar, false);
    // The status bar changes with its fade.
    EXPECT_LT(app.application().statusBar().transition(), 1.0);
}
