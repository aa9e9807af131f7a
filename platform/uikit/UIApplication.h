#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSURL.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/CGGeometry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIAlertView;
class UIApplication;
class UIView;
class UIViewController;
class UIWindow;
namespace render {
class Painter;
}

enum UIStatusBarStyle : NSInteger {
    UIStatusBarStyleDefault = 0,
    UIStatusBarStyleLightContent = 1,
    UIStatusBarStyleBlackOpaque = 2,
};

enum class UITouchPhase {
    Began,
    Moved,
    Ended,
    Cancelled,
};

// The delegate role of the application. Every message is optional.
class UIApplicationDelegate {
public:
    virtual ~UIApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching(UIApplication& application) { }
    virtual UIWindow* window() const { return nullptr; }
};

// The one application object. It holds the key window, the presented controllers and the shown
// alerts, routes touches to the topmost of them, and draws them with the status bar into a frame.
// Hosts drive it from outside: they deliver touches, drain the main queue, advance the animation
// clock and render when something changed.
class UIApplication : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UIApplication)

    static std::shared_ptr<UIApplication> create() { return std::shared_ptr<UIApplication>(new UIApplication); }
    ~UIApplication() override;

    // The current application; a plain one is made on first use when no program made its own.
    static UIApplication* sharedApplication();
    // Makes this object the shared application (UIApplicationMain does it for the principal
    // class); null clears it.
    static void setSharedApplication(UIApplication* application);

    UIApplicationDelegate* delegate() const { return _delegate; }
    void setDelegate(UIApplicationDelegate* delegate) { _delegate = delegate; }
    // Holds a delegate made by UIApplicationMain from a class name other than the principal's.
    void adoptDelegate(std::shared_ptr<NSObject> delegateObject);

    UIStatusBarStyle statusBarStyle() const { return _statusBarStyle; }
    void setStatusBarStyle(UIStatusBarStyle style, bool animated);
    // How far an animated style change has come; the previous style fades out as it goes.
    double statusBarTransition() const { return _statusBarTransition; }
    UIStatusBarStyle previousStatusBarStyle() const { return _previousStatusBarStyle; }
    // The clock text of the status bar; empty means the real time of day.
    void setStatusBarTimeText(std::string text) { _statusBarTimeText = std::move(text); }
    std::string statusBarTimeText() const;

    // Hands the URL to the system's browser through the system seam; false when it could not.
    bool openURL(const NSURL& url);

    UIWindow* keyWindow() const;
    void setKeyWindow(UIWindow* window);

    void showAlert(std::shared_ptr<UIAlertView> alert);
    void removeAlert(UIAlertView* alert);
    const std::vector<std::shared_ptr<UIAlertView>>& shownAlerts() const { return _alerts; }

    struct Presentation {
        std::shared_ptr<UIViewController> controller;
        std::weak_ptr<NSObject> presenter;
        // 0 off screen, 1 fully on screen.
        double progress = 0;
        bool dismissing = false;
    };
    void presentController(std::shared_ptr<UIViewController> controller, UIViewController* presenter, bool animated,
        std::function<void()> completion);
    void dismissController(UIViewController* controller, bool animated, std::function<void()> completion);
    const std::vector<Presentation>& presentations() const { return _presentations; }
    UIViewController* controllerPresentedBy(const UIViewController* presenter) const;
    UIViewController* presenterOf(const UIViewController* controller) const;

    // The view a touch at this screen point would reach, topmost layer first: shown alerts,
    // presented screens, the key window.
    UIView* hitTest(CGPoint screenPoint);
    void sendTouch(UITouchPhase phase, CGPoint screenPoint);

    // Applies size constraints before a frame is drawn or the tree is read.
    void layoutIfNeeded();
    void renderFrame(render::Painter& painter);

    static constexpr double kPresentationDuration = 0.4;
    static constexpr double kStatusBarFadeDuration = 0.3;

protected:
    UIApplication() = default;

private:
    void drawStatusBar(render::Painter& painter);

    UIApplicationDelegate* _delegate = nullptr;
    std::shared_ptr<NSObject> _ownedDelegate;
    UIStatusBarStyle _statusBarStyle = UIStatusBarStyleDefault;
    UIStatusBarStyle _previousStatusBarStyle = UIStatusBarStyleDefault;
    double _statusBarTransition = 1;
    CAAnimationEngine::AnimationID _statusBarAnimation = 0;
    std::string _statusBarTimeText;
    std::weak_ptr<UIView> _keyWindow;
    std::vector<std::shared_ptr<UIAlertView>> _alerts;
    // Alerts that were answered and are fading out: they draw but take no taps.
    std::vector<std::weak_ptr<UIAlertView>> _leavingAlerts;
    std::vector<Presentation> _presentations;
    // The view that took the current touch; it gets the rest of it wherever the finger goes.
    std::weak_ptr<UIView> _touchedView;
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
