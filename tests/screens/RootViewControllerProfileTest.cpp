#include "screens/RootViewController.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIScreen.h"
#include "tests/screens/ScreenLookRows.h"

#include <type_traits>

// The root screen as each build shows it: its bar, its buttons and how far the theme reaches.
namespace {

// The widths follow the build: the main program is a 64-bit one, the legacy program a 32-bit one.
static_assert(std::is_same_v<CGFloat, std::conditional_t<kScreenProfile.isLegacy, float, double>>);
static_assert(std::is_same_v<NSInteger, std::conditional_t<kScreenProfile.isLegacy, int32_t, int64_t>>);
static_assert(std::is_base_of_v<UINavigationBarDelegate, RootViewController>);

struct LayoutCase {
    const char* device;
    CGFloat height;
    CGFloat width;
    std::array<CGFloat, 6> rows;
};

TEST(RootViewControllerProfile, BarAndButtonsFollowTheHeightClass)
{
    SCOPED_TRACE(kLook.build);
    const LayoutCase cases[] = {
        { "iphone-4s", 480, 320, { 45, 115, 185, 255, 325, 395 } },
        { "iphone-5s", 568, 320, { 50, 135, 220, 305, 390, 475 } },
        { "iphone-6", 667, 375, { 45, 115, 185, 255, 325, 395 } },
        { "ipad-landscape", 768, 1024, { 45, 115, 185, 255, 325, 395 } },
        { "ipad", 1024, 768, { 60, 220, 380, 540, 700, 860 } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device, .preferences = {} });
        ASSERT_EQ(UIScreen::mainScreen().bounds().size.height, c.height);
        auto& root = app.root();
        EXPECT_EQ(root.view()->frame(), UIScreen::mainScreen().applicationFrame());
        EXPECT_EQ(root.navBar->frame(), CGRectMake(0, kLook.rootBarY, c.width, kLook.barHeight));
        for (auto& row : RootViewController::powerButtons())
            EXPECT_EQ((root.*row.field.field)->frame(), CGRectMake(10, c.rows[size_t(row.tag - 1)], c.width - 20, 30))
                << row.field.name;
    }
}

TEST(RootViewControllerProfile, BarHeightConstraintAndPosition)
{
    SCOPED_TRACE(kLook.build);
    AppHarness app;
    auto& root = app.root();
    expectBarHeightPin(*root.view(), *root.navBar);
    expectBarPositionAnswer(root, *root.navBar);
    if (!kLook.pinsBarHeight)
        return;
    auto& constraint = *root.view()->constraints().front();
    EXPECT_EQ(constraint.firstAttribute(), NSLayoutAttributeHeight);
    EXPECT_EQ(constraint.relation(), NSLayoutRelationEqual);
    EXPECT_EQ(constraint.secondItem(), nullptr);
    EXPECT_EQ(constraint.secondAttribute(), NSLayoutAttributeHeight);
    EXPECT_EQ(constraint.multiplier(), 1.0);
}

// The main build's system buttons leave the three middle titles to the tint; the legacy custom
// buttons are given the same blue. Neither follows the theme.
TEST(RootViewControllerProfile, ButtonsOfTheBuildsTypeWithTheirTitleColours)
{
    SCOPED_TRACE(kLook.build);
    const std::optional<UIColor> middle = kLook.middleButtonTitleColor;
    const std::optional<UIColor> colors[] = { UIColor::redColor(), UIColor::redColor(), middle, middle, middle,
        UIColor::greenColor() };
    EXPECT_NEAR(kSystemTintColor.green(), 0.478431, 1e-6);
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        for (auto& row : RootViewController::powerButtons()) {
            SCOPED_TRACE(std::string(row.field.name));
            UIButton* button = app.root().*row.field.field;
            EXPECT_EQ(button->buttonType(), kLook.rootButtonType);
            EXPECT_EQ(button->titleColorForState(UIControlStateNormal), colors[row.tag - 1]);
            EXPECT_EQ(button->titleLabel()->font(), UIFont::systemFontOfSize(20));
            EXPECT_EQ(button->targetCount(UIControlEventTouchUpInside), 1u);
        }
        // The middle three draw in the system blue either way.
        EXPECT_EQ(app.root().respringButton->currentTitleColor(), kSystemTintColor);
    }
}

void expectRootTheme(AppHarness& app, bool light)
{
    auto& root = app.root();
    EXPECT_EQ(root.view()->backgroundColor(), light ? UIColor::whiteColor() : UIColor::blackColor());
    expectThemedBar(app, *root.navBar, light);
}

TEST(RootViewControllerProfile, ThemeOnLaunchFromTheStore)
{
    SCOPED_TRACE(kLook.build);
    {
        SCOPED_TRACE("fresh install");
        AppHarness app;
        expectRootTheme(app, false);
    }
    {
        SCOPED_TRACE("stored NO");
        AppHarness app({ .preferences = { { "lightSwitch", false } } });
        expectRootTheme(app, false);
    }
    {
        SCOPED_TRACE("stored YES");
        AppHarness app({ .preferences = { { "lightSwitch", true } } });
        expectRootTheme(app, true);
    }
}

TEST(RootViewControllerProfile, ColorMeFollowsTheStoreInBothDirections)
{
    SCOPED_TRACE(kLook.build);
    for (bool toLight : { true, false }) {
        SCOPED_TRACE(toLight ? "to light" : "to dark");
        AppHarness app({ .preferences = { { "lightSwitch", !toLight } } });
        auto before = app.tree();
        writeStoredPreferences(app.deviceRoot().path(), { { "lightSwitch", toLight } });
        NSUserDefaults::resetStandardUserDefaults();
        app.root().colorMe();
        Automation::settle();
        expectRootTheme(app, toLight);
        if (kLook.themeReachesBars)
            continue;
        // Where the theme stops short of the bar, everything but the root view's background is as
        // it was.
        auto after = app.tree();
        after["keyWindow"]["subviews"][0]["backgroundColor"] = before["keyWindow"]["subviews"][0]["backgroundColor"];
        EXPECT_EQ(after, before);
    }
}

} // namespace
