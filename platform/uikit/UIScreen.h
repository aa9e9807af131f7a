#pragma once

#include "platform/uikit/CGGeometry.h"

// The main screen: its whole rectangle in points and its scale. The host sets it up before the
// application launches.
class UIScreen {
public:
    static constexpr CGFloat kStatusBarHeight = 20;

    static UIScreen& mainScreen();

    CGRect bounds() const { return _bounds; }
    // The screen less the status bar at the top.
    CGRect applicationFrame() const
    {
        return CGRectMake(0, kStatusBarHeight, _bounds.size.width, _bounds.size.height - kStatusBarHeight);
    }
    CGFloat scale() const { return _scale; }

    void configure(CGSize size, CGFloat scale);

private:
    CGRect _bounds = CGRectMake(0, 0, 320, 568);
    CGFloat _scale = 2;
};
