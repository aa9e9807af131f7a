#include "screens/ScreenTheme.h"

#include "app/Zentrova3Application.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UINavigationBar.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

TEST(ScreenTheme, AppliedInTheFixedOrder)
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

