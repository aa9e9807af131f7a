#include "screens/RootViewController.h"

#include "platform/quartzcore/CATransition.h"
#include "screens/ChangelogViewController.h"
#include "screens/SettingsViewController.h"
#include "tests/screens/ScreenLookRows.h"

// How each build opens its screens over the root screen, what becomes of the root screen, and how
// "Back" closes them again.
namespace {

struct RelayoutCase {
    const char* device;
    CGFloat width;
    std::array<CGFloat, 6> firstRows;
    std::array<CGFloat, 6> secondRows;
};

const RelayoutCase kRelayoutCases[] = {
    { "iphone-4s", 320, { 45, 115, 185, 255, 325, 395 }, { 65, 135, 205, 275, 345, 415 } },
    { "iphone-5s", 320, { 50, 135, 220, 305, 390, 475 }, { 70, 155, 240, 325, 410, 515 } },
    { "ipad", 768, { 60, 220, 380, 540, 700, 860 }, { 80, 240, 400, 560, 720, 880 } },
};

// The main build moves the root screen's bar to the top of its view and its buttons to their
// second frames once either screen has been presented; the legacy root screen never moves.
TEST(RootNavigationProfile, TheRootAfterEitherScreen)
{
    SCOPED_TRACE(kLook.build);
    for (auto& c : kRelayoutCases) {
        for (const char* button : { "\"Changelog\"", "\"Settings\"" }) {
            SCOPED_TRACE(std::string(c.device) + " " + button);
            AppHarness app({ .device = c.device, .preferences = {} });
            auto before = app.tree()["keyWindow"];
            app.tap(button);
            auto* presented = app.root().presentedViewController();
            ASSERT_TRUE(presented);
            EXPECT_EQ(presented->modalPresentationStyle(), kLook.presentation);
            app.tap("\"Back\"");
            auto& root = app.root();
            auto& rows = kLook.rootMovesWhenPresented ? c.secondRows : c.firstRows;
            EXPECT_EQ(root.navBar->frame(), CGRectMake(0, 0, c.width, kLook.barHeight));
            for (auto& row : RootViewController::powerButtons())
                EXPECT_EQ((root.*row.field.field)->frame(), CGRectMake(10, rows[size_t(row.tag - 1)], c.width - 20, 30))
                    << row.field.name;
            if (!kLook.rootMovesWhenPresented) {
                EXPECT_EQ(app.tree()["keyWindow"], before);
            }
        }
    }
}

TEST(RootNavigationProfile, TheRootMovesOnlyOnceThePresentationHasFinished)
{
    SCOPED_TRACE(kLook.build);
    AppHarness app;
    app.root().leftButtonPressed();
    // Still sliding in: the root screen keeps its first layout.
    EXPECT_EQ(app.root().navBar->frame(), CGRectMake(0, kLook.rootBarY, 320, kLook.barHeight));
    Automation::settle();
    EXPECT_EQ(app.root().navBar->frame(), CGRectMake(0, 0, 320, kLook.barHeight));
    EXPECT_EQ(app.root().minispringButton->frame(), CGRectMake(10, kLook.rootMovesWhenPresented ? 515 : 475, 300, 30));
}

// "Back" dismisses with animation and the screen is freed. In the main build, only once the
// dismissal has finished does the reveal transition go onto the closed screen's own view.
TEST(RootNavigationProfile, BackClosesEitherScreen)
{
    SCOPED_TRACE(kLook.build);
    for (const char* button : { "\"Changelog\"", "\"Settings\"" }) {
        SCOPED_TRACE(button);
        AppHarness app;
        app.tap(button);
        UIViewController* screen = app.root().presentedViewController();
        ASSERT_TRUE(screen);
        std::weak_ptr<UIViewController> alive = screen->weakSelf<UIViewController>();
        std::shared_ptr<UIView> view = screen->viewIfLoaded();
        if (auto* changelog = dynamic_cast<ChangelogViewController*>(screen))
            changelog->leftBackButtonPressed();
        else
            dynamic_cast<SettingsViewController&>(*screen).leftBackButtonPressed();
        EXPECT_TRUE(view->layer().addedAnimations().empty());
        Automation::settle();
        EXPECT_EQ(app.root().presentedViewController(), nullptr);
        EXPECT_TRUE(alive.expired());
        auto animations = view->layer().addedAnimations();
        if (!kLook.revealsOnClose) {
            EXPECT_TRUE(animations.empty());
            continue;
        }
        ASSERT_EQ(animations.size(), 1u);
        EXPECT_EQ(animations[0].key, kCATransition);
        auto* transition = dynamic_cast<const CATransition*>(animations[0].animation.get());
        ASSERT_TRUE(transition);
        EXPECT_EQ(transition->type(), kCATransitionReveal);
        EXPECT_EQ(transition->subtype(), kCATransitionFromLeft);
        EXPECT_EQ(transition->duration(), 0.3);
        // The root screen got none.
        EXPECT_TRUE(app.root().view()->layer().addedAnimations().empty());
    }
}

} // namespace
