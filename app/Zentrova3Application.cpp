#include "app/Zentrova3Application.h"

#include "platform/foundation/NSClassRegistry.h"
#include "platform/uikit/UIScreen.h"
#include "screens/RootViewController.h"

ZENTROVA_REGISTER_CLASS(Zentrova3Application)

Zentrova3Application::~Zentrova3Application()
{
    // The root screen goes before the window it lives in.
    _viewController.reset();
    _window.reset();
}

void Zentrova3Application::applicationDidFinishLaunching(UIApplication&)
{
    _window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
    _viewController = RootViewController::create();
    // The root view is a plain subview of the window: the window has no root view controller.
    _window->addSubview(_viewController->view()->retainSelf<UIView>());
    _window->makeKeyAndVisible();
}

void Zentrova3Application::setWindow(std::shared_ptr<UIWindow> window)
{
    auto previous = std::move(_window);
    _window = std::move(window);
}
