#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIPresentationStack.h"
#include "platform/uikit/UIStatusBar.h"

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

// The one application object. It holds the key window, the presented controllers (its presentation
// stack) and the shown alerts, routes touches to the topmost of them, and draws them with the
// status bar into a frame.
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

    UIStatusBarStyle statusBarStyle() const { return _statusBar.style(); }
    void setStatusBarStyle(UIStatusBarStyle style, bool animated) { _statusBar.setStyle(style, animated); }
    UIStatusBar& statusBar() { return _statusBar; }
    const UIStatusBar& statusBar() const { return _statusBar; }

    // Hands the URL to the system's browser through the system seam; false when it could not.
    bool openURL(const NSURL& url);

    UIWindow* keyWindow() const;
    void setKeyWindow(UIWindow* window);

    void showAlert(std::shared_ptr<UIAlertView> alert);
    void removeAlert(UIAlertView* alert);
    const std::vector<std::shared_ptr<UIAlertView>>& shownAlerts() const { return _alerts; }

    UIPresentationStack& presentationStack() { return _presentationStack; }
    const UIPresentationStack& presentationStack() const { return _presentationStack; }

    // The view a touch at this screen point would reach, topmost layer first: shown alerts,
    // presented screens, the key window.
    UIView* hitTest(CGPoint screenPoint);
    void sendTouch(UITouchPhase phase, CGPoint screenPoint);

    // The view that answers edit commands (copy): the one that last took a selection. Not owned.
    UIView* firstResponder() const { return _firstResponder.lock().get(); }
    void setFirstResponder(UIView* view);
    // Copies the first responder's selection to the general pasteboard; false when there is none.
    bool copy();

    // The layer that takes keys: the newest shown alert, else the top presented screen, else the
    // key window.
    UIView* keyboardLayer() const;
    // The keyboard focus: a view of the keyboard layer, or a part of one (a bar button, by its
    // identity). Only keys set it, and it is drawn as a ring; a touch clears it. Each layer keeps
    // its own, so that the focus is back where it was when an alert or a screen goes away.
    UIView* focusedView() const;
    const void* focusedPart() const;
    void setFocus(UIView* view, const void* part = nullptr);

    // Applies size constraints before a frame is drawn or the tree is read.
    void layoutIfNeeded();
    void renderFrame(render::Painter& painter);

protected:
    UIApplication() = default;

private:
    void drawFocusRing(render::Painter& painter);

    UIApplicationDelegate* _delegate = nullptr;
    std::shared_ptr<NSObject> _ownedDelegate;
    UIStatusBar _statusBar;
    UIPresentationStack _presentationStack;
    std::weak_ptr<UIView> _keyWindow;
    std::vector<std::shared_ptr<UIAlertView>> _alerts;
    // Alerts that were answered and are fading out: they draw but take no taps.
    std::vector<std::weak_ptr<UIAlertView>> _leavingAlerts;
    // The view that took the current touch; it gets the rest of it wherever the finger goes.
    std::weak_ptr<UIView> _touchedView;
    std::weak_ptr<UIView> _firstResponder;
    struct KeyboardFocus {
        std::weak_ptr<UIView> layer;
        std::weak_ptr<UIView> view;
        const void* part = nullptr;
    };
    const KeyboardFocus* focusOfKeyboardLayer() const;
    std::vector<KeyboardFocus> _focus;
};
