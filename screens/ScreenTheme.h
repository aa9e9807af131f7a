#pragma once

#include "prefs/Theme.h"

#include <functional>

class UINavigationBar;
class UIView;

// How the screens hold their bars and wear the theme; each build defines these its own way. The
// main build pins its bars' height and tints them, and follows the theme's status bar style; the
// legacy build frames its bars, styles them black and keeps one fixed status bar style, and only
// the screens' backgrounds and texts follow the theme there.

// Called once a screen's bar is made, before it is framed: the main build adds the bar's height
// constraint to the root view; the legacy build frames the bar alone.
void pinBarHeight(UIView& rootView, UINavigationBar& bar);

// The theme on a screen, in a fixed order. Main build: the status bar style (animated), the bar's
// tint, the root view's background, the screen's own text colours where it has any, and last the
// bar's title colour. Legacy build: the opaque black status bar (animated), the black bar style,
// the root view's background and the screen's own text colours.
void applyTheme(const Theme& theme, UINavigationBar& bar, UIView& rootView,
    const std::function<void(const Theme&)>& screenTextColors = { });

// A screen built before its bar: the main build's light theme sets the status bar at once; nothing
// else does.
void applyThemeBeforeBar(const Theme& theme);
