#pragma once

#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "screens/TopAttachedBarPositioning.h"

#include <optional>

// The values in which the two programs' screens differ, fixed when building. This is the only app
// file that reads the build profile; behaviour that differs in kind lives in small hooks in
// `.main.cpp` and `.legacy.cpp` files beside the shared ones, and the build picks them.
struct ScreenProfile {
    bool isLegacy;

    // Navigation bars: the main build's are 64 high and the root screen's reaches up behind the
    // status bar; the legacy bars are framed at the top, 44 high. A screen's content begins below
    // its bar.
    CGFloat barHeight;
    CGFloat rootBarY;

    // The root screen's buttons, and the title colour of the three in the middle of the six, where
    // they are given one (the main build's system buttons draw theirs in the tint).
    UIButtonType rootButtonType;
    std::optional<UIColor> rootMiddleButtonTitleColor;

    // The settings switches sit this far in from the right edge.
    CGFloat switchInset;
};

// The screens' answer to a bar's position question: the main build's screens answer "top
// attached" for every bar; the legacy ones are asked nothing.
struct NoBarPositioning { };

#if ZENTROVA_LEGACY
inline constexpr ScreenProfile kScreenProfile {
    .isLegacy = true,
    .barHeight = 44,
    .rootBarY = 0,
    .rootButtonType = UIButtonTypeCustom,
    .rootMiddleButtonTitleColor = kSystemTintColor,
    .switchInset = 106,
};
using ScreenBarPositioning = NoBarPositioning;
#else
inline constexpr ScreenProfile kScreenProfile {
    .isLegacy = false,
    .barHeight = 64,
    .rootBarY = -20,
    .rootButtonType = UIButtonTypeSystem,
    .rootMiddleButtonTitleColor = std::nullopt,
    .switchInset = 66,
};
using ScreenBarPositioning = TopAttachedBarPositioning;
#endif
