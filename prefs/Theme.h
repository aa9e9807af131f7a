#pragma once

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIColor.h"

// The light or dark look of every screen: light exactly when lightSwitch reads YES. Which element
// takes which role is the screens' business.
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
