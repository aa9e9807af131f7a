#pragma once

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

#include <memory>

class RootViewController;

// The application object, which is also its own delegate. At launch it puts the root screen into
// the one window; it owns both for the life of the process and lets go of the screen first.
class Zentrova3Application : public UIApplication, public UIApplicationDelegate {
public:
    ZENTROVA_CLASS_NAME(Zentrova3Application)

    static std::shared_ptr<Zentrova3Application> create()
    {
        return std::shared_ptr<Zentrova3Application>(new Zentrova3Application);
    }
    ~Zentrova3Application() override;

    void applicationDidFinishLaunching(UIApplication& application) override;

    UIWindow* window() const override { return _window.get(); }
    void setWindow(std::shared_ptr<UIWindow> window);

protected:
    Zentrova3Application() = default;

private:
    std::shared_ptr<UIWindow> _window;
    std::shared_ptr<RootViewController> _viewController;

    friend class Zentrova3ApplicationTestAccess;
};
