#include "platform/uikit/UIWindow.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

const NSString UIWindowDidBecomeKeyNotification = "UIWindowDidBecomeKeyNotification";

void UIWindow::makeKeyAndVisible()
{
    setHidden(false);
    UIApplication::sharedApplication()->setKeyWindow(this);
    NSNotificationCenter::defaultCenter().postNotificationName(UIWindowDidBecomeKeyNotification, this);
}

bool UIWindow::isKeyWindow() const
{
    return UIApplication::sharedApplication()->keyWindow() == this;
}
