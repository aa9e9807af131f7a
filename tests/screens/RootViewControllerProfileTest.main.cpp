#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The main build's root screen: the tall bar with its height constraint reaching up behind the
// status bar, system buttons, and a theme that tints the bar and the status bar.
namespace {

struct LayoutCase {
    const char* device;
    CGFloat width;
    std::array<CGFloat, 6> rows;
};

TEST(RootViewControllerMain, BarAndButtonsFollowTheHeightClass)
{
    const LayoutCase cases[] = {
        { "iphone-4s", 320, { 45, 115, 185, 255, 325, 395 } },
        { "iphone-5s", 320, { 50, 135, 220, 305, 390, 475 } },
        { "iphone-6", 375, { 45, 115, 185, 255, 325, 395 } },
        { "ipad-landscape", 1024, { 45, 115, 185, 255, 325, 395 } },
        { "ipad", 768, { 60, 220, 380, 540, 700, 860 } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device });
        auto& root = app.root();
        EXPECT_EQ(root.view()->frame(), UIScreen::mainScreen().applicationFrame());
        EXPECT_EQ(root.navBar->frame(), CGRectMake(0, -20, c.width, 64));
        for (auto& row : RootViewController::powerButtons())
            EXPECT_EQ((root.*row.field.field)->frame(), CGRectMake(10, c.rows[size_t(row.tag - 1)], c.width - 20, 30))
                << row.field.name;
    }
}

TEST(RootViewControllerMain, BarHeightConstraintAndPosition)
{
    AppHarness app;
    auto& root = app.root();
    ASSERT_EQ(root.view()->constraints().size(), 1u);
    auto& constraint = *root.view()->constraints().front();
    EXPECT_EQ(constraint.firstItem(), root.navBar.get());
    EXPECT_EQ(constraint.firstAttribute(), NSLayoutAttributeHeight);
    EXPECT_EQ(constraint.relation(), NSLayoutRelationEqual);
    EXPECT_EQ(constraint.secondItem(), nullptr);
    EXPECT_EQ(constraint.secondAttribute(), NSLayoutAttributeHeight);
    EXPECT_EQ(constraint.multiplier(), 1.0);
    EXPECT_EQ(constraint.constant(), 64.0);
    EXPECT_EQ(root.navBar->barStyle(), UIBarStyleDefault);
    // The screen answers the bar-position question for any bar.
    EXPECT_EQ(root.positionForBar(*root.navBar), UIBarPositionTopAttached);
    auto other = UINavigationBar::create();
    EXPECT_EQ(root.positionForBar(*other), UIBarPositionTopAttached);
}

TEST(RootViewControllerMain, SystemButtonsWhoseLookIgnoresTheTheme)
{
    const std::optional<UIColor> colors[] = { UIColor::redColor(), UIColor::redColor(), std::nullopt, std::nullopt,
        std::nullopt, UIColor::greenColor() };
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        for (auto& row : RootViewController::powerButtons()) {
            SCOPED_TRACE(std::string(row.field.name));
            UIButton* button = app.root().*row.field.field;
            EXPECT_EQ(button->buttonType(), UIButtonTypeSystem);
            EXPECT_EQ(button->titleColorForState(UIControlStateNormal), colors[row.tag - 1]);
            EXPECT_EQ(button->titleLabel()->font(), UIFont::systemFontOfSize(20));
            EXPECT_EQ(button->targetCount(UIControlEventTouchUpInside), 1u);
        }
        // The three without a colour of their own draw in the system tint.
        EXPECT_EQ(app.root().respringButton->currentTitleColor(), kSystemTintColor);
    }
}

struct ThemeLook {
    UIColor background;
    UIColor title;
    UIStatusBarStyle statusBar;
};

void expectTheme(AppHarness& app, const ThemeLook& look)
{
    auto& root = app.root();
    EXPECT_EQ(root.navBar->barTintColor(), look.background);
    EXPECT_EQ(root.view()->backgroundColor(), look.background);
    auto& attributes = root.navBar->titleTextAttributes();
    ASSERT_EQ(attributes.size(), 1u);
    auto* color = valueForKey<UIColor>(attributes, NSForegroundColorAttributeName);
    ASSERT_TRUE(color);
    EXPECT_EQ(*color, look.title);
    EXPECT_EQ(app.application().statusBarStyle(), look.statusBar);
}

const ThemeLook kDark { UIColor::blackColor(), UIColor::whiteColor(), UIStatusBarStyleLightContent };
const ThemeLook kLight { UIColor::whiteColor(), UIColor::blackColor(), UIStatusBarStyleDefault };

TEST(RootViewControllerMain, ThemeOnLaunchFromTheStore)
{
    {
        SCOPED_TRACE("fresh install");
        AppHarness app;
        expectTheme(app, kDark);
    }
    {
        SCOPED_TRACE("stored NO");
        AppHarness app({ .preferences = { { "lightSwitch", false } } });
        expectTheme(app, kDark);
    }
    {
        SCOPED_TRACE("stored YES");
        AppHarness app({ .preferences = { { "lightSwitch", true } } });
        expectTheme(app, kLight);
    }
}

TEST(RootViewControllerMain, ColorMeRecolorsBarBackgroundAndStatusBarInBothDirections)
{
    for (bool toLight : { true, false }) {
        SCOPED_TRACE(toLight ? "to light" : "to dark");
        AppHarness app({ .preferences = { { "lightSwitch", !toLight } } });
        writeStoredPreferences(app.deviceRoot().path(), { { "lightSwitch", toLight } });
        NSUserDefaults::resetStandardUserDefaults();
        app.root().colorMe();
        Automation::settle();
        expectTheme(app, toLight ? kLight : kDark);
    }
}

} // namespace
