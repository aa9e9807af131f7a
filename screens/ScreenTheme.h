#pragma once

#include "prefs/Theme.h"

#include <functional>

class UINavigationBar;
class UIView;

// How the screens wear the theme. The main build tints its bars and follows the theme's status
// bar style; the legacy build styles its bars black and keeps one fixed status bar style, and
// only the screens' backgrounds and texts follow the theme there.

// Main build: the fixed order every screen uses: the status bar style (animated), the bar's tint,
// the root view's background, the screen's own text colours where it has any, and last the bar's
// title colour.
void applyTheme(const Theme& theme, UINavigationBar& bar, UIView& rootView,
    const std::function<void(const Theme&)>& screenTextColors = { });
void applyStatusBarStyle(const Theme& theme);

// Legacy build: the opaque black status bar, animated, whatever the theme.
void applyFixedStatusBarStyle();
// Legacy build: the platform's black bar style.
void styleBarBlack(UINavigationBar& bar);
