#include "screens/ScreenTheme.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"
#include "screens/ScreenProfile.h"

void applyFixedStatusBarStyle()
{
    UIApplication::sharedApplication()->setStatusBarStyle(*kScreenProfile.fixedStatusBarStyle, true);
}

void styleBarBlack(UINavigationBar& bar)
{
    bar.setBarStyle(UIBarStyleBlack);
}
