#pragma once

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/CGGeometry.h"

#include <memory>
#include <string>

namespace render {
class Painter;
}

enum UIStatusBarStyle : NSInteger {
    UIStatusBarStyleDefault = 0,
    UIStatusBarStyleLightContent = 1,
    UIStatusBarStyleBlackOpaque = 2,
};

// The 20-point status bar over the top of the screen: the carrier name and the Wi-Fi mark at the
// left, the time in the middle and a full battery at the right. The default style has black
// content over what lies beneath, light content white, black opaque a black bar with white
// content. An animated change of style cross-fades from the old style to the new one.
class UIStatusBar {
public:
    static constexpr double kFadeDuration = 0.3;

    UIStatusBar() = default;
    UIStatusBar(const UIStatusBar&) = delete;
    UIStatusBar& operator=(const UIStatusBar&) = delete;

    UIStatusBarStyle style() const { return _style; }
    void setStyle(UIStatusBarStyle style, bool animated);
    // How far an animated style change has come; the previous style fades out as it goes.
    double transition() const { return _transition; }
    UIStatusBarStyle previousStyle() const { return _previousStyle; }

    // The clock text; empty means the real time of day.
    void setTimeText(std::string text) { _timeText = std::move(text); }
    std::string timeText() const;

    void draw(render::Painter& painter, CGFloat width) const;

private:
    UIStatusBarStyle _style = UIStatusBarStyleDefault;
    UIStatusBarStyle _previousStyle = UIStatusBarStyleDefault;
    double _transition = 1;
    CAAnimationHandle _animation;
    std::string _timeText;
};
