#include "screens/ScreenTheme.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"

void pinBarHeight(UIView&, UINavigationBar&) { }

void applyTheme(const Theme& theme, UINavigationBar& bar, UIView& rootView,
    const std::function<void(const Theme&)>& screenTextColors)
{
    UIApplication::sharedApplication()->setStatusBarStyle(UIStatusBarStyleBlackOpaque, true);
    bar.setBarStyle(UIBarStyleBlack);
    rootView.setBackgroundColor(theme.background());
    if (screenTextColors)
        screenTextColors(theme);
}

void applyThemeBeforeBar(const Theme&) { }
