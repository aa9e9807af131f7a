#include "screens/ScreenTheme.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"
#include "screens/ScreenProfile.h"

namespace {

void applyStatusBarStyle(const Theme& theme)
{
    UIApplication::sharedApplication()->setStatusBarStyle(theme.statusBarStyle(), true);
}

void applyBarTitleColor(const Theme& theme, UINavigationBar& bar)
{
    std::any objects[] = { theme.foreground() };
    NSString keys[] = { NSForegroundColorAttributeName };
    bar.setTitleTextAttributes(dictionaryWithObjects(objects, keys, 1));
}

} // namespace

void pinBarHeight(UIView& rootView, UINavigationBar& bar)
{
    rootView.addConstraint(NSLayoutConstraint::constraintWithItem(&bar, NSLayoutAttributeHeight, NSLayoutRelationEqual,
        nullptr, NSLayoutAttributeHeight, 1.0, kScreenProfile.barHeight));
}

void applyTheme(const Theme& theme, UINavigationBar& bar, UIView& rootView,
    const std::function<void(const Theme&)>& screenTextColors)
{
    applyStatusBarStyle(theme);
    bar.setBarTintColor(theme.background());
    rootView.setBackgroundColor(theme.background());
    if (screenTextColors)
        screenTextColors(theme);
    applyBarTitleColor(theme, bar);
}

void applyThemeBeforeBar(const Theme& theme)
{
    if (theme.isLight())
        applyStatusBarStyle(theme);
}
