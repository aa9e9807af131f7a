#pragma once

#include "platform/uikit/UIView.h"

#include "platform/foundation/NSString.h"

// Posted with the window as its object when a window becomes the key window.
extern const NSString UIWindowDidBecomeKeyNotification;

// The root of a view tree on screen.
class UIWindow : public UIView {
public:
    ZENTROVA_CLASS_NAME(UIWindow)

    static std::shared_ptr<UIWindow> initWithFrame(CGRect frame)
    {
        return std::shared_ptr<UIWindow>(new UIWindow(frame));
    }

    // Makes this the application's key window and shows it.
    void makeKeyAndVisible();
    bool isKeyWindow() const;

protected:
    explicit UIWindow(CGRect frame)
        : UIView(frame)
    {
        setHidden(true);
    }
};
