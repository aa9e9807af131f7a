#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/UIKitFixture.h"

#include <gtest/gtest.h>

namespace {

using UIKitTest = UIKitFixture;

class AnswerCounter final : public NSObject, public UIAlertViewDelegate {
public:
    static std::shared_ptr<AnswerCounter> create() { return std::shared_ptr<AnswerCounter>(new AnswerCounter); }
    void alertView(UIAlertView& alert, NSInteger index) override
    {
        answers.push_back(index);
        stillShownWhenAnswered = UIApplication::sharedApplication()->shownAlerts().size();
    }
    std::vector<NSInteger> answers;
    size_t stillShownWhenAnswered = 99;
};

class Presses final : public NSObject {
public:
    static std::shared_ptr<Presses> create() { return std::shared_ptr<Presses>(new Presses); }
    void pressed() { ++count; }
    int count = 0;
};

TEST_F(UIKitTest, AlertAnswersOnceOnTheMainQueue)
{
    auto delegate = AnswerCounter::create();
    auto alert = UIAlertView::initWithTitle("Are you sure?", "Really?", delegate.get(), NSString("No"), { "Yes" });
    EXPECT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), NSString("No"));
    EXPECT_EQ(alert->buttonTitleAtIndex(1), NSString("Yes"));
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    alert->setTag(5);
    std::weak_ptr<UIAlertView> weak = alert;
    alert->show();
    alert.reset();
    // The application holds the shown alert.
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(_application->shownAlerts().size(), 1u);
    settle();

    auto shown = weak.lock();
    auto* yes = shown->buttonAtIndex(1);
    CGRect frame = yes->frameInWindow();
    CGPoint centre { frame.midX(), frame.midY() };
    EXPECT_EQ(_application->hitTest(centre), yes);
    _application->sendTouch(UITouchPhase::Began, centre);
    _application->sendTouch(UITouchPhase::Ended, centre);
    // Not before the current event has returned.
    EXPECT_TRUE(delegate->answers.empty());
    shown->dismissWithClickedButtonIndex(0, true);
    shown.reset();
    settle();
    EXPECT_EQ(delegate->answers, std::vector<NSInteger> { 1 });
    EXPECT_EQ(delegate->stillShownWhenAnswered, 0u);
    EXPECT_TRUE(_application->shownAlerts().empty());
    EXPECT_TRUE(weak.expired());
}

TEST_F(UIKitTest, AlertWhoseDelegateIsGoneAnswersNobody)
{
    auto delegate = AnswerCounter::create();
    auto alert = UIAlertView::initWithTitle("Title", "", delegate.get(), NSString("Cancel"), { });
    alert->show();
    delegate.reset();
    alert->dismissWithClickedButtonIndex(0, false);
    settle();
    EXPECT_TRUE(_application->shownAlerts().empty());
}

TEST_F(UIKitTest, AlertCoversTheWindow)
{
    auto window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
    auto presses = Presses::create();
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setFrame(CGRectMake(0, 0, 320, 568));
    button->addTarget(presses.get(), &Presses::pressed, UIControlEventTouchUpInside);
    window->addSubview(button);
    window->makeKeyAndVisible();

    _application->sendTouch(UITouchPhase::Began, { 10, 10 });
    _application->sendTouch(UITouchPhase::Ended, { 10, 10 });
    EXPECT_EQ(presses->count, 1);

    auto alert = UIAlertView::initWithTitle("Title", "Message", nullptr, NSString("OK"), { });
    alert->show();
    _application->sendTouch(UITouchPhase::Began, { 10, 10 });
    _application->sendTouch(UITouchPhase::Ended, { 10, 10 });
    EXPECT_EQ(presses->count, 1);
}

TEST_F(UIKitTest, AlertMessageLinesAreSixteenPointsApartAndThePanelFitsThem)
{
    auto one = UIAlertView::initWithTitle("Title", "One line", nullptr, NSString("OK"), { });
    auto three = UIAlertView::initWithTitle("Title", "One line\nand another\nand a third", nullptr, NSString("OK"), { });
    EXPECT_EQ(three->panel()->frame().size.height - one->panel()->frame().size.height, 32);
}

TEST_F(UIKitTest, ControlTargetsAreNotOwned)
{
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    auto presses = Presses::create();
    button->addTarget(presses.get(), &Presses::pressed, UIControlEventTouchUpInside);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    button->sendActionsForControlEvents(UIControlEventValueChanged);
    EXPECT_EQ(presses->count, 1);
    presses.reset();
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
}

TEST_F(UIKitTest, SwitchKeepsItsSizeAndToggles)
{
    auto toggle = UISwitch::create(CGRectMake(254, 120, 0, 0));
    EXPECT_EQ(toggle->frame(), (CGRect { { 254, 120 }, UISwitch::intrinsicSize() }));
    toggle->setFrame(CGRectMake(1, 2, 300, 300));
    EXPECT_EQ(toggle->frame().size, UISwitch::intrinsicSize());

    auto presses = Presses::create();
    toggle->addTarget(presses.get(), &Presses::pressed, UIControlEventValueChanged);
    toggle->touchesBegan({ 10, 10 });
    toggle->touchesEnded({ 10, 10 });
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(presses->count, 1);
    EXPECT_LT(toggle->knobPosition(), 1.0);
    settle();
    EXPECT_EQ(toggle->knobPosition(), 1.0);
    // Setting the value from code sends no action.
    toggle->setOn(false);
    EXPECT_EQ(presses->count, 1);
}

TEST_F(UIKitTest, HeightConstraintIsHonoured)
{
    auto root = UIView::create(CGRectMake(0, 20, 320, 548));
    auto bar = UIView::create();
    root->addConstraint(NSLayoutConstraint::constraintWithItem(bar.get(), NSLayoutAttributeHeight, NSLayoutRelationEqual,
        nullptr, NSLayoutAttributeHeight, 1.0, 64.0));
    bar->setFrame(CGRectMake(0, -20, 320, 30));
    root->addSubview(bar);
    root->layoutIfNeeded();
    EXPECT_EQ(bar->frame(), CGRectMake(0, -20, 320, 64));
}

class CountingController final : public UIViewController {
public:
    static std::shared_ptr<CountingController> create() { return std::shared_ptr<CountingController>(new CountingController); }
    int loads = 0;

protected:
    void loadView() override
    {
        ++loads;
        setView(UIView::create(CGRectMake(0, 0, 10, 10)));
    }
};

TEST_F(UIKitTest, ViewIsLoadedOnceOnFirstUse)
{
    auto controller = CountingController::create();
    EXPECT_FALSE(controller->isViewLoaded());
    auto* view = controller->view();
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(controller->loads, 1);
    EXPECT_EQ(view->viewController(), controller.get());
}

TEST_F(UIKitTest, PresentationHoldsTheControllerAndCompletesAfterwards)
{
    auto presenter = CountingController::create();
    auto presented = CountingController::create();
    std::weak_ptr<CountingController> weak = presented;
    int presentedCompletions = 0, dismissedCompletions = 0;
    presenter->presentViewController(presented, true, [&] { ++presentedCompletions; });
    presented.reset();
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(presentedCompletions, 0);
    settle();
    EXPECT_EQ(presentedCompletions, 1);
    EXPECT_EQ(presenter->presentedViewController(), weak.lock().get());
    EXPECT_EQ(weak.lock()->presentingViewController(), presenter.get());

    weak.lock()->dismissViewControllerAnimated(true, [&] { ++dismissedCompletions; });
    settle();
    EXPECT_EQ(dismissedCompletions, 1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(_application->presentationStack().presentations().empty());
}

TEST_F(UIKitTest, StatusBarStyleFades)
{
    _application->setStatusBarStyle(UIStatusBarStyleLightContent, true);
    EXPECT_EQ(_application->statusBarStyle(), UIStatusBarStyleLightContent);
    EXPECT_LT(_application->statusBar().transition(), 1.0);
    settle();
    EXPECT_EQ(_application->statusBar().transition(), 1.0);
    _application->setStatusBarStyle(UIStatusBarStyleBlackOpaque, false);
    EXPECT_EQ(_application->statusBar().transition(), 1.0);
}

} // namespace
