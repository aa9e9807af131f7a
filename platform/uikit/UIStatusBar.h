#pragma once

#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIApplication.h"

#include <string>

// Draws the 20-point status bar over the top of the screen: the carrier name and the Wi-Fi mark
// at the left, the time in the middle and a full battery at the right. The default style has
// black content over what lies beneath, light content white, black opaque a black bar with white
// content. Opacity below 1 is used while one style cross-fades into another.
void UIStatusBarDraw(render::Painter& painter, UIStatusBarStyle style, const std::string& timeText, CGFloat width,
    double opacity);
