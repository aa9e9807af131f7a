#include "platform/uikit/UIWindow.h"

#include "platform/uikit/UIApplication.h"

void UIWindow::makeKeyAndVisible()
{
    setHidden(false);
    UIApplication::sharedApplication()->setKeyWindow(this);
}

bool UIWindow::isKeyWindow() const
{
    return UIApplication::sharedApplication()->keyWindow() == this;
}
