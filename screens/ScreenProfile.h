#pragma once

#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"

#include <optional>
#include <string_view>
#include <type_traits>

// The values in which the two programs' screens differ, fixed when building. This is the only app
// file that reads the build profile; behaviour that differs in kind lives in `.main.cpp` and
// `.legacy.cpp` files beside the shared ones, and the build picks them.
struct ScreenProfile {
    std::string_view name;
    bool isLegacy;

    // Navigation bars: the main build pins the height with a constraint and lets the root
    // screen's bar reach up behind the status bar; the legacy bars are framed at the top, 44 high.
    CGFloat barHeight;
    bool barHasHeightConstraint;
    CGFloat rootBarY;

    // The root screen's buttons, and whether the root screen moves them after a presentation.
    UIButtonType rootButtonType;
    bool rootRelaysOutAfterPresentation;

    // Where the changelog's text view begins.
    CGFloat changelogTextTop;
    // The settings switches sit this far in from the right edge.
    CGFloat switchInset;

    // The legacy build sets one opaque black status bar everywhere; the main build follows the theme.
    std::optional<UIStatusBarStyle> fixedStatusBarStyle;
    // The changelog's version headings in bold blue.
    bool emphasizesChangelogHeadings;
};

#if ZENTROVA_LEGACY
inline constexpr ScreenProfile kScreenProfile {
    .name = "legacy",
    .isLegacy = true,
    .barHeight = 44,
    .barHasHeightConstraint = false,
    .rootBarY = 0,
    .rootButtonType = UIButtonTypeCustom,
    .rootRelaysOutAfterPresentation = false,
    .changelogTextTop = 44,
    .switchInset = 106,
    .fixedStatusBarStyle = UIStatusBarStyleBlackOpaque,
    .emphasizesChangelogHeadings = false,
};
#else
inline constexpr ScreenProfile kScreenProfile {
    .name = "main",
    .isLegacy = false,
    .barHeight = 64,
    .barHasHeightConstraint = true,
    .rootBarY = -20,
    .rootButtonType = UIButtonTypeSystem,
    .rootRelaysOutAfterPresentation = true,
    .changelogTextTop = 64,
    .switchInset = 66,
    .fixedStatusBarStyle = std::nullopt,
    .emphasizesChangelogHeadings = true,
};
#endif

// A field or a protocol that only one profile's screens have; in the other it is an empty stand-in
// that takes no room and answers nothing.
template <typename T>
struct NotInThisProfile { };
template <typename T>
using LegacyOnly = std::conditional_t<kScreenProfile.isLegacy, T, NotInThisProfile<T>>;
template <typename T>
using MainOnly = std::conditional_t<kScreenProfile.isLegacy, NotInThisProfile<T>, T>;
