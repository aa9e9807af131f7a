#include "screens/ChangelogViewController.h"

#include "app/Zentrova3Application.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The legacy changelog: one face for the whole text, a black 44-point bar, the opaque black
// status bar, and a plain modal dismissal.
namespace {

static_assert(!std::is_base_of_v<UIBarPositioningDelegate, ChangelogViewController>);

TEST(ChangelogViewControllerLegacy, FramesBarAndNoEmphasis)
{
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .device = "iphone-4s", .preferences = { { "lightSwitch", light } } });
        app.tap("\"Changelog\"");
        auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->changes->frame(), CGRectMake(0, 44, 320, 416));
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, 320, 44));
        EXPECT_TRUE(screen->view()->constraints().empty());
        EXPECT_EQ(screen->navBar->barStyle(), UIBarStyleBlack);
        EXPECT_FALSE(screen->navBar->barTintColor());
        EXPECT_TRUE(screen->navBar->titleTextAttributes().empty());
        EXPECT_EQ(app.application().statusBarStyle(), UIStatusBarStyleBlackOpaque);
        EXPECT_EQ(screen->view()->backgroundColor(), light ? UIColor::whiteColor() : UIColor::blackColor());
        // "Version 3.0:" and the rest share one run in the view's own face and colour.
        EXPECT_FALSE(screen->changes->text().isEmpty());
        for (auto& run : screen->changes->attributeRuns()) {
            EXPECT_TRUE(!run.font || run.font == UIFont::fontWithName("Helvetica", 16));
            EXPECT_TRUE(!run.color || run.color == screen->changes->textColor());
        }
        EXPECT_EQ(app.root().presentedViewController()->modalPresentationStyle(), UIModalPresentationFullScreen);
    }
}

TEST(ChangelogViewControllerLegacy, BackClosesWithoutATransitionAndFreesTheScreen)
{
    AppHarness app;
    app.tap("\"Changelog\"");
    auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
    ASSERT_TRUE(screen);
    std::weak_ptr<UIViewController> alive = screen->weakSelf<UIViewController>();
    std::shared_ptr<UIView> view = screen->viewIfLoaded();
    app.tap("\"Back\"");
    EXPECT_EQ(app.root().presentedViewController(), nullptr);
    EXPECT_TRUE(alive.expired());
    EXPECT_TRUE(view->layer().addedAnimations().empty());
}

} // namespace
