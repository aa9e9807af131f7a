#pragma once

#include "platform/uikit/UIView.h"

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
