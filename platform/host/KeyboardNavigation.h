#pragma once

#include "platform/uikit/CGGeometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UIApplication;
class UIView;

// The keys the app answers, whatever the host that delivers them: the window's keyboard, or
// `key NAME` in a script.
enum class Key { Tab, Return, Space, Escape, Up, Down, Left, Right, PageUp, PageDown, Home, End };

struct KeyPress {
    Key key = Key::Tab;
    bool shift = false;
    bool alt = false;
    bool control = false;
};

// "Tab", "shift+Tab", "alt+Left", "End": modifiers first, joined by '+', names in any case; an
// error message when TEXT names no key.
std::optional<KeyPress> parseKeyPress(std::string_view text, std::string& error);
// The name parseKeyPress reads back.
std::string keyPressName(const KeyPress& press);

// A place Tab stops at: a view that can become focused, or a part of one (a bar button).
struct TabStop {
    UIView* view = nullptr;
    const void* part = nullptr;
    CGRect screenFrame;
};
// The tab stops of the layer that takes keys, in reading order: top to bottom, then left to
// right, so that a screen's bar buttons come before its controls.
std::vector<TabStop> tabStops(UIApplication& application);

// Does what the key does: Tab and Shift+Tab move the focus through the tab stops; Space and
// Return act on the focused control as a tap would; Esc answers an alert with its cancel button
// (Return with its other button when nothing is focused) and, with no alert up, Esc or Alt+Left
// takes a presented screen back; the arrows, Page Up/Down, Home, End and Space scroll the focused
// text, or the screen's. False when the key did nothing.
bool pressKey(UIApplication& application, const KeyPress& press);
