#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIScreen.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <type_traits>

// The legacy build's root screen: a black 44-point bar framed at the top with no constraint, the
// opaque black status bar in both themes, custom buttons with a title colour each, and a theme
// that reaches only the root view's background.
namespace {

static_assert(std::is_same_v<CGFloat, float>);
static_assert(std::is_same_v<NSInteger, int32_t>);
static_assert(!std::is_base_of_v<UIBarPositioningDelegate, RootViewController>,
    "the legacy root screen answers no bar-position question");
static_assert(std::is_base_of_v<UINavigationBarDelegate, RootViewController>);

struct LayoutCase {
    const char* device;
    CGFloat height;
    CGFloat width;
    std::array<CGFloat, 6> rows;
};

TEST(RootViewControllerLegacy, BarAndButtonsFollowTheHeightClass)
{
    const LayoutCase cases[] = {
        { "iphone-4s", 480, 320, { 45, 115, 185, 255, 325, 395 } },
        { "iphone-5s", 568, 320, { 50, 135, 220, 305, 390, 475 } },
        { "iphone-6", 667, 375, { 45, 115, 185, 255, 325, 395 } },
        { "ipad-landscape", 768, 1024, { 45, 115, 185, 255, 325, 395 } },
        { "ipad", 1024, 768, { 60, 220, 380, 540, 700, 860 } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device });
        ASSERT_EQ(UIScreen::mainScreen().bounds().size.height, c.height);
        auto& root = app.root();
        EXPECT_EQ(root.view()->frame(), UIScreen::mainScreen().applicationFrame());
        EXPECT_EQ(root.navBar->frame(), CGRectMake(0, 0, c.width, 44));
        EXPECT_TRUE(root.view()->constraints().empty());
        for (auto& row : RootViewController::powerButtons())
            EXPECT_EQ((root.*row.field.field)->frame(), CGRectMake(10, c.rows[size_t(row.tag - 1)], c.width - 20, 30))
                << row.field.name;
    }
}

TEST(RootViewControllerLegacy, CustomButtonsWithTheirOwnTitleColours)
{
    const UIColor blue = UIColor::colorWithRed(0, CGFloat(122) / 255, 1, 1);
    const UIColor colors[] = { UIColor::redColor(), UIColor::redColor(), blue, blue, blue, UIColor::greenColor() };
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        auto& root = app.root();
        EXPECT_EQ(root.ios7Color, blue);
        EXPECT_NEAR(root.ios7Color.green(), 0.478431, 1e-6);
        for (auto& row : RootViewController::powerButtons()) {
            SCOPED_TRACE(std::string(row.field.name));
            UIButton* button = root.*row.field.field;
            EXPECT_EQ(button->buttonType(), UIButtonTypeCustom);
            EXPECT_EQ(button->titleColorForState(UIControlStateNormal), colors[row.tag - 1]);
            EXPECT_EQ(button->titleLabel()->font(), UIFont::systemFontOfSize(20));
            EXPECT_EQ(button->targetCount(UIControlEventTouchUpInside), 1u);
        }
    }
}

// The bar and the status bar look the same in both themes; only the root view follows the store.
void expectLegacyLook(AppHarness& app, const UIColor& background)
{
    auto& root = app.root();
    EXPECT_EQ(root.navBar->barStyle(), UIBarStyleBlack);
    EXPECT_TRUE(root.navBar->isTranslucent());
    EXPECT_FALSE(root.navBar->barTintColor());
    EXPECT_TRUE(root.navBar->titleTextAttributes().empty());
    EXPECT_EQ(root.view()->backgroundColor(), background);
    EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleBlackOpaque);
}

TEST(RootViewControllerLegacy, ThemeReachesOnlyTheBackground)
{
    {
        SCOPED_TRACE("fresh install");
        AppHarness app;
        expectLegacyLook(app, UIColor::blackColor());
    }
    {
        SCOPED_TRACE("stored YES");
        AppHarness app({ .preferences = { { "lightSwitch", true } } });
        expectLegacyLook(app, UIColor::whiteColor());
    }
}

TEST(RootViewControllerLegacy, ColorMeSetsTheStatusBarAndTheBackgroundOnly)
{
    for (bool toLight : { true, false }) {
        SCOPED_TRACE(toLight ? "to light" : "to dark");
        AppHarness app({ .preferences = { { "lightSwitch", !toLight } } });
        auto before = app.tree();
        writeStoredPreferences(app.deviceRoot().path(), { { "lightSwitch", toLight } });
        NSUserDefaults::resetStandardUserDefaults();
        app.root().colorMe();
        Automation::settle();
        expectLegacyLook(app, toLight ? UIColor::whiteColor() : UIColor::blackColor());
        // Everything but the root view's background is as it was.
        auto after = app.tree();
        after["keyWindow"]["subviews"][0]["backgroundColor"] = before["keyWindow"]["subviews"][0]["backgroundColor"];
        EXPECT_EQ(after, before);
    }
}

} // namespace
