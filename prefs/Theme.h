#pragma once

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIColor.h"

#include <functional>

class UINavigationBar;
class UIView;

// The light or dark look of every screen: light exactly when lightSwitch reads YES.
class Theme {
public:
    enum class Kind {
        Light,
        Dark,
    };

    static Theme fromLightSwitch(bool isOn) { return Theme(isOn ? Kind::Light : Kind::Dark); }
    // The theme the store says now.
    static Theme stored();

    Kind kind() const { return _kind; }
    bool isLight() const { return _kind == Kind::Light; }
    UIColor background() const { return isLight() ? UIColor::whiteColor() : UIColor::blackColor(); }
    UIColor foreground() const { return isLight() ? UIColor::blackColor() : UIColor::whiteColor(); }
    UIStatusBarStyle statusBarStyle() const { return isLight() ? UIStatusBarStyleDefault : UIStatusBarStyleLightContent; }

    bool operator==(const Theme&) const = default;

private:
    explicit Theme(Kind kind)
        : _kind(kind)
    {
    }
    Kind _kind;
};

// Applies a theme to a screen, in the fixed order every screen uses: the status bar style
// (animated), the bar's tint, the root view's background, the screen's own text colours where it
// has any, and last the bar's title colour.
void applyTheme(const Theme& theme, UINavigationBar& bar, UIView& rootView,
    const std::function<void(const Theme&)>& screenTextColors = { });

void applyStatusBarStyle(const Theme& theme);
void applyBarTitleColor(const Theme& theme, UINavigationBar& bar);
