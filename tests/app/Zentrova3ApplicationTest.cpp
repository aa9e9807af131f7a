#include "app/Zentrova3Application.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

class Zentrova3ApplicationTestAccess {
public:
    static std::shared_ptr<UIWindow>& window(Zentrova3Application& app) { return app._window; }
    static std::shared_ptr<RootViewController>& controller(Zentrova3Application& app) { return app._viewController; }
};

namespace {

using Access = Zentrova3ApplicationTestAccess;

// Looks at the window the moment it becomes key.
class KeyWindowWitness final : public NSObject {
public:
    static std::shared_ptr<KeyWindowWitness> create() { return std::shared_ptr<KeyWindowWitness>(new KeyWindowWitness); }
    void windowBecameKey()
    {
        auto* window = UIApplication::sharedApplication()->keyWindow();
        ++calls;
        subviewsWhenShown = window ? window->subviews().size() : 0;
        if (window && !window->subviews().empty())
            rootSubviewsWhenShown = window->subviews().front()->subviews().size();
    }
    int calls = 0;
    size_t subviewsWhenShown = 0;
    size_t rootSubviewsWhenShown = 0;
};

// A window that notes whether the root screen was already gone when the window went.
class WitnessWindow final : public UIWindow {
public:
    static std::shared_ptr<WitnessWindow> create(std::weak_ptr<RootViewController> controller, bool* controllerGoneFirst)
    {
        auto window = std::shared_ptr<WitnessWindow>(new WitnessWindow(CGRectMake(0, 0, 320, 568)));
        window->_controller = std::move(controller);
        window->_controllerGoneFirst = controllerGoneFirst;
        return window;
    }
    ~WitnessWindow() override { *_controllerGoneFirst = _controller.expired(); }

private:
    using UIWindow::UIWindow;
    std::weak_ptr<RootViewController> _controller;
    bool* _controllerGoneFirst = nullptr;
};

TEST(Zentrova3Application, LaunchOrder)
{
    for (auto& device : deviceProfiles()) {
        SCOPED_TRACE(device.name);
        AppHarness app({ .device = device.name, .launch = false });
        EXPECT_EQ(app.application().window(), nullptr);
        auto witness = KeyWindowWitness::create();
        NSNotificationCenter::defaultCenter().addObserver(witness.get(), NSSELECTOR(KeyWindowWitness, windowBecameKey),
            UIWindowDidBecomeKeyNotification, nullptr);
        app.launch();

        auto* window = app.application().window();
        ASSERT_TRUE(window);
        EXPECT_EQ(window->frame(), CGRectMake(0, 0, CGFloat(device.width), CGFloat(device.height)));
        EXPECT_EQ(window->frame(), UIScreen::mainScreen().bounds());
        EXPECT_TRUE(window->isKeyWindow());
        EXPECT_FALSE(window->isHidden());
        // Shown once, with the fully built root view already in it as a plain subview.
        EXPECT_EQ(witness->calls, 1);
        EXPECT_EQ(witness->subviewsWhenShown, 1u);
        EXPECT_EQ(witness->rootSubviewsWhenShown, 7u);
        ASSERT_EQ(window->subviews().size(), 1u);
        EXPECT_EQ(window->subviews().front().get(), app.root().view());
        EXPECT_EQ(window->subviews().front()->viewController(), &app.root());
    }
}

TEST(Zentrova3Application, SetWindowReplacesAndReleasesTheOldOne)
{
    AppHarness app;
    std::weak_ptr<UIWindow> launched = Access::window(app.application());
    EXPECT_EQ(app.application().window(), launched.lock().get());
    auto replacement = UIWindow::initWithFrame(CGRectMake(0, 0, 10, 10));
    app.application().setWindow(replacement);
    EXPECT_EQ(app.application().window(), replacement.get());
    // The root view still holds nothing of the window; the old window is gone.
    EXPECT_TRUE(launched.expired());
}

TEST(Zentrova3Application, ReleasesTheRootScreenBeforeTheWindow)
{
    bool controllerGoneFirst = false;
    {
        auto app = Zentrova3Application::create();
        auto controller = RootViewController::create();
        Access::controller(*app) = controller;
        Access::window(*app) = WitnessWindow::create(controller, &controllerGoneFirst);
        controller.reset();
    }
    EXPECT_TRUE(controllerGoneFirst);
}

} // namespace
