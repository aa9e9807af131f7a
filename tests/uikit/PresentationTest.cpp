#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/host/TreeDump.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/UIKitFixture.h"

#include <gtest/gtest.h>

namespace {

class Screen final : public UIViewController {
public:
    ZENTROVA_CLASS_NAME(Screen)
    static std::shared_ptr<Screen> create() { return std::shared_ptr<Screen>(new Screen); }
    void colorMe() { ++recolours; }
    int recolours = 0;
};

// A root screen in the key window, as the app has one, with screens presented over it.
class Presentation : public UIKitFixture {
protected:
    void SetUp() override
    {
        UIKitFixture::SetUp();
        _window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
        _window->addSubview(_root->viewIfLoaded());
        _window->makeKeyAndVisible();
    }
    static void advance(double seconds)
    {
        turnRunLoop([seconds](CAAnimationEngine& engine) { engine.advanceTo(engine.currentTime() + seconds); }, nullptr);
    }
    UIPresentationStack& stack() { return _application->presentationStack(); }

    std::shared_ptr<Screen> _root = [] {
        auto root = Screen::create();
        root->view();
        return root;
    }();
    std::shared_ptr<UIWindow> _window;
};

TEST_F(Presentation, ACustomScreenSlidesUpOverThePresenterAndCompletesOnceOnTheMainQueue)
{
    auto presented = Screen::create();
    presented->setModalPresentationStyle(UIModalPresentationCustom);
    std::weak_ptr<Screen> weak = presented;
    int completions = 0;
    _root->presentViewController(std::move(presented), true, [&] { ++completions; });
    // The presentation holds the controller; the presenter holds none.
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(_root->presentedViewController(), weak.lock().get());
    ASSERT_EQ(stack().presentations().size(), 1u);

    advance(UIPresentationStack::kDuration / 2);
    double halfway = stack().presentations().front().progress;
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 1);
    // The presenter's view stays in the window beneath, and nothing takes taps while it moves.
    EXPECT_EQ(_root->view()->window(), _window.get());
    EXPECT_EQ(_application->hitTest({ 160, 300 }), nullptr);
    EXPECT_EQ(completions, 0);

    // The clock reaches the end: the completion is queued, and runs once the queue is drained.
    CAAnimationEngine::shared().advanceTo(CAAnimationEngine::shared().currentTime() + UIPresentationStack::kDuration);
    EXPECT_EQ(stack().presentations().front().progress, 1.0);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(NSRunLoop::mainRunLoop().hasQueuedWork());
    settle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(_application->hitTest({ 160, 300 }), weak.lock()->view());
    settle();
    EXPECT_EQ(completions, 1);
}

TEST_F(Presentation, PresentingWhileAScreenMovesOrFromAPresenterIsRefused)
{
    auto first = Screen::create();
    _root->presentViewController(first, true, nullptr);

    auto second = Screen::create();
    std::weak_ptr<Screen> weakSecond = second;
    int refusedCompletions = 0;
    testing::internal::CaptureStderr();
    _root->presentViewController(std::move(second), true, [&] { ++refusedCompletions; });
    auto warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("Attempt to present <Screen: "), std::string::npos) << warning;
    EXPECT_NE(warning.find("while a presentation is in progress"), std::string::npos) << warning;
    // The refused controller is let go at once and its completion never runs.
    EXPECT_TRUE(weakSecond.expired());
    settle();
    EXPECT_EQ(refusedCompletions, 0);
    EXPECT_EQ(stack().presentations().size(), 1u);

    // Settled, the root screen still presents the first one.
    testing::internal::CaptureStderr();
    _root->presentViewController(Screen::create(), true, [&] { ++refusedCompletions; });
    warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("which is already presenting"), std::string::npos) << warning;
    settle();
    EXPECT_EQ(refusedCompletions, 0);

    // A dismissal in motion refuses a second one, and a new presentation.
    first->dismissViewControllerAnimated(true, nullptr);
    testing::internal::CaptureStderr();
    first->dismissViewControllerAnimated(true, [&] { ++refusedCompletions; });
    _root->presentViewController(Screen::create(), true, [&] { ++refusedCompletions; });
    warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("while a presentation or dismiss is in progress"), std::string::npos) << warning;
    settle();
    EXPECT_EQ(refusedCompletions, 0);
    EXPECT_TRUE(stack().presentations().empty());
}

TEST_F(Presentation, TheLegacyModalScreenDismissesItselfAndIsFreed)
{
    auto presented = Screen::create();
    std::weak_ptr<Screen> weak = presented;
    _root->presentModalViewController(std::move(presented), true);
    settle();
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(weak.lock()->modalPresentationStyle(), UIModalPresentationFullScreen);
    EXPECT_EQ(_application->presentationStack().presentations().front().progress, 1.0);

    weak.lock()->dismissModalViewControllerAnimated(true);
    EXPECT_FALSE(weak.expired());
    settle();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(_root->presentedViewController(), nullptr);
}

TEST_F(Presentation, ADismissalCompletionHoldsItsControllerUntilItIsDiscarded)
{
    auto presented = Screen::create();
    std::weak_ptr<Screen> weak = presented;
    _root->presentViewController(std::move(presented), true, nullptr);
    settle();

    int completions = 0;
    bool heldDuringCompletion = false;
    auto self = weak.lock();
    self->dismissViewControllerAnimated(true, [self, &completions, &heldDuringCompletion, &weak, this] {
        ++completions;
        // The stack has let go by now; only the completion keeps the controller.
        heldDuringCompletion = !weak.expired() && stack().presentations().empty();
    });
    self.reset();
    advance(UIPresentationStack::kDuration / 2);
    double halfway = stack().presentations().front().progress;
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 1);
    settle();
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(heldDuringCompletion);
    EXPECT_TRUE(weak.expired());
}

TEST_F(Presentation, TheTreeListsEveryNotificationRegistration)
{
    auto& center = NSNotificationCenter::defaultCenter();
    for (int press = 0; press < 2; ++press)
        center.addObserver(_root.get(), NSSELECTOR(Screen, colorMe), NSUserDefaultsDidChangeNotification, nullptr);
    auto tree = dumpApplicationTree(*_application, DeviceProfile { "test", 320, 568, 2, "Test" });
    auto expected = nlohmann::json::parse(R"([
        { "name": "NSUserDefaultsDidChangeNotification", "observer": "Screen", "selector": "colorMe" },
        { "name": "NSUserDefaultsDidChangeNotification", "observer": "Screen", "selector": "colorMe" }
    ])");
    EXPECT_EQ(tree["notificationObservers"], expected);
    center.postNotificationName(NSUserDefaultsDidChangeNotification, nullptr);
    EXPECT_EQ(_root->recolours, 2);
}

} // namespace
