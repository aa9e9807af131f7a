#pragma once

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIViewController.h"
#include "screens/ScreenProfile.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <optional>

// How each build's screens hold their bars, wear the theme and open and close, a row per build;
// the tests compare what they see with the row of the build they run in.
struct ScreenLookRow {
    const char* build;
    CGFloat barHeight;
    // The root screen's bar at launch, reaching up behind the status bar where it starts above 0.
    CGFloat rootBarY;
    // The root screen's buttons, and the title colour its three middle ones are given.
    UIButtonType rootButtonType;
    std::optional<UIColor> middleButtonTitleColor;
    // A constraint on the root view keeps each bar's height.
    bool pinsBarHeight;
    // The screens answer every bar-position question with "top attached".
    bool answersBarPosition;
    // The theme tints the bars, colours their titles and sets the status bar; without it the bars
    // stay black under the opaque black status bar.
    bool themeReachesBars;
    UIModalPresentationStyle presentation;
    // The root screen takes its second layout once a screen has been presented over it.
    bool rootMovesWhenPresented;
    // A screen closed with "Back" gets the reveal transition on its own view.
    bool revealsOnClose;
    // The settings switches: their size and how far in from the right edge they sit.
    CGSize switchSize;
    CGFloat switchInset;
};

inline constexpr ScreenLookRow kScreenLookRows[] = {
    { .build = "main", .barHeight = 64, .rootBarY = -20, .rootButtonType = UIButtonTypeSystem,
        .middleButtonTitleColor = std::nullopt, .pinsBarHeight = true, .answersBarPosition = true,
        .themeReachesBars = true, .presentation = UIModalPresentationCustom, .rootMovesWhenPresented = true,
        .revealsOnClose = true, .switchSize = { 51, 31 }, .switchInset = 66 },
    { .build = "legacy", .barHeight = 44, .rootBarY = 0, .rootButtonType = UIButtonTypeCustom,
        .middleButtonTitleColor = kSystemTintColor, .pinsBarHeight = false, .answersBarPosition = false,
        .themeReachesBars = false, .presentation = UIModalPresentationFullScreen, .rootMovesWhenPresented = false,
        .revealsOnClose = false, .switchSize = { 79, 27 }, .switchInset = 106 },
};

inline constexpr const ScreenLookRow& kLook = kScreenLookRows[kScreenProfile.isLegacy ? 1 : 0];

// The bar's height constraint on the root view, or none.
inline void expectBarHeightPin(UIView& root, UINavigationBar& bar)
{
    if (!kLook.pinsBarHeight) {
        EXPECT_TRUE(root.constraints().empty());
        return;
    }
    ASSERT_EQ(root.constraints().size(), 1u);
    EXPECT_EQ(root.constraints().front()->firstItem(), &bar);
    EXPECT_EQ(root.constraints().front()->constant(), kLook.barHeight);
}

// The screen's answer to the bar-position question, for its own bar and for any other.
inline void expectBarPositionAnswer(UIViewController& screen, UINavigationBar& bar)
{
    auto* positioning = dynamic_cast<UIBarPositioningDelegate*>(&screen);
    EXPECT_EQ(positioning != nullptr, kLook.answersBarPosition);
    if (!positioning)
        return;
    EXPECT_EQ(positioning->positionForBar(bar), UIBarPositionTopAttached);
    auto other = UINavigationBar::create();
    EXPECT_EQ(positioning->positionForBar(*other), UIBarPositionTopAttached);
}

// A translucent bar in the theme as the build shows it, and the status bar with it.
inline void expectThemedBar(AppHarness& app, UINavigationBar& bar, bool light)
{
    EXPECT_TRUE(bar.isTranslucent());
    if (!kLook.themeReachesBars) {
        EXPECT_EQ(bar.barStyle(), UIBarStyleBlack);
        EXPECT_FALSE(bar.barTintColor());
        EXPECT_TRUE(bar.titleTextAttributes().empty());
        EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleBlackOpaque);
        return;
    }
    EXPECT_EQ(bar.barStyle(), UIBarStyleDefault);
    EXPECT_EQ(bar.barTintColor(), light ? UIColor::whiteColor() : UIColor::blackColor());
    ASSERT_EQ(bar.titleTextAttributes().size(), 1u);
    auto* title = valueForKey<UIColor>(bar.titleTextAttributes(), NSForegroundColorAttributeName);
    ASSERT_TRUE(title);
    EXPECT_EQ(*title, light ? UIColor::blackColor() : UIColor::whiteColor());
    EXPECT_EQ(app.application().statusBarStyle(), light ? UIStatusBarStyleDefault : UIStatusBarStyleLightContent);
}
