#pragma once

#include "platform/uikit/CGGeometry.h"

// A colour as four components between 0 and 1. A small immutable value.
class UIColor {
public:
    constexpr UIColor() = default;
    static constexpr UIColor colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    {
        return UIColor(red, green, blue, alpha);
    }
    static constexpr UIColor whiteColor() { return UIColor(1, 1, 1, 1); }
    static constexpr UIColor blackColor() { return UIColor(0, 0, 0, 1); }
    static constexpr UIColor redColor() { return UIColor(1, 0, 0, 1); }
    static constexpr UIColor greenColor() { return UIColor(0, 1, 0, 1); }
    static constexpr UIColor clearColor() { return UIColor(0, 0, 0, 0); }
    static constexpr UIColor lightGrayColor() { return UIColor(CGFloat(2.0 / 3), CGFloat(2.0 / 3), CGFloat(2.0 / 3), 1); }

    constexpr CGFloat red() const { return _red; }
    constexpr CGFloat green() const { return _green; }
    constexpr CGFloat blue() const { return _blue; }
    constexpr CGFloat alpha() const { return _alpha; }

    constexpr UIColor colorWithAlphaComponent(CGFloat alpha) const { return UIColor(_red, _green, _blue, alpha); }

    constexpr bool operator==(const UIColor&) const = default;

private:
    constexpr UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
        : _red(red)
        , _green(green)
        , _blue(blue)
        , _alpha(alpha)
    {
    }

    CGFloat _red = 0;
    CGFloat _green = 0;
    CGFloat _blue = 0;
    CGFloat _alpha = 0;
};

// The system tint of the platform's controls, (0, 122/255, 1): the app's one blue.
inline constexpr UIColor kSystemTintColor = UIColor::colorWithRed(0.0, CGFloat(122.0 / 255.0), 1.0, 1.0);
