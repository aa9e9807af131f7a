#include "platform/host/KeyboardNavigation.h"

#include "platform/host/MessageText.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace {

struct KeyNaming {
    Key key;
    std::string_view name;
};
// The first name of a key is the one keyPressName writes.
constexpr KeyNaming kKeyNames[] = {
    { Key::Tab, "Tab" },
    { Key::Return, "Return" },
    { Key::Return, "Enter" },
    { Key::Space, "space" },
    { Key::Escape, "Escape" },
    { Key::Escape, "Esc" },
    { Key::Up, "Up" },
    { Key::Down, "Down" },
    { Key::Left, "Left" },
    { Key::Right, "Right" },
    { Key::PageUp, "Page_Up" },
    { Key::PageUp, "PageUp" },
    { Key::PageDown, "Page_Down" },
    { Key::PageDown, "PageDown" },
    { Key::Home, "Home" },
    { Key::End, "End" },
};

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower((unsigned char)x) == std::tolower((unsigned char)y); });
}

// A line's worth of scrolling: what one notch of the wheel moves.
constexpr CGFloat kLineScroll = 40;

// Scrolls the focused view, else the first view of the keyboard layer that scrolls, by the
// distance its own height asks for.
bool scroll(UIApplication& application, const std::function<CGFloat(const UIView&)>& distance)
{
    std::vector<UIView*> candidates;
    if (auto* focused = application.focusedView())
        candidates.push_back(focused);
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden() || !view.isUserInteractionEnabled())
            return;
        candidates.push_back(&view);
        for (auto& subview : view.subviews())
            walk(*subview);
    };
    if (auto* layer = application.keyboardLayer())
        walk(*layer);
    for (auto* view : candidates) {
        if (view->scrollBy(distance(*view)))
            return true;
    }
    return false;
}

CGFloat page(const UIView& view)
{
    return std::max(kLineScroll, view.bounds().size.height - kLineScroll);
}

// Esc on a presented screen: the first view of it that knows the way back takes it.
bool goBack(UIApplication& application)
{
    UIView* layer = application.keyboardLayer();
    if (!layer || !application.shownAlerts().empty() || layer != application.presentationStack().topView())
        return false;
    std::function<bool(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden() || !view.isUserInteractionEnabled())
            return false;
        if (view.accessibilityPerformEscape())
            return true;
        for (auto& subview : view.subviews()) {
            if (walk(*subview))
                return true;
        }
        return false;
    };
    return walk(*layer);
}

bool answerAlert(UIApplication& application, Key key)
{
    auto& alerts = application.shownAlerts();
    if (alerts.empty())
        return false;
    auto alert = alerts.back();
    NSInteger index = -1;
    if (key == Key::Escape)
        index = alert->cancelButtonIndex();
    else if (NSInteger other = alert->cancelButtonIndex() == 0 ? 1 : 0; other < alert->numberOfButtons())
        index = other;
    if (index < 0)
        return false;
    alert->dismissWithClickedButtonIndex(index, true);
    return true;
}

} // namespace

std::optional<KeyPress> parseKeyPress(std::string_view text, std::string& error)
{
    KeyPress press;
    std::string_view rest = text;
    for (;;) {
        auto plus = rest.find('+');
        if (plus == std::string_view::npos || plus == 0 || plus + 1 == rest.size())
            break;
        auto modifier = rest.substr(0, plus);
        if (sameLetters(modifier, "shift"))
            press.shift = true;
        else if (sameLetters(modifier, "alt"))
            press.alt = true;
        else if (sameLetters(modifier, "ctrl") || sameLetters(modifier, "control"))
            press.control = true;
        else {
            error = "unknown modifier " + quotedForMessage(modifier) + " (modifiers: shift, alt, ctrl)";
            return std::nullopt;
        }
        rest.remove_prefix(plus + 1);
    }
    for (auto& naming : kKeyNames) {
        if (sameLetters(rest, naming.name)) {
            press.key = naming.key;
            return press;
        }
    }
    error = "unknown key " + quotedForMessage(text)
        + " (keys: Tab, Return, space, Escape, Up, Down, Left, Right, Page_Up, Page_Down, Home, End, after shift+, alt+ or ctrl+)";
    return std::nullopt;
}

std::string keyPressName(const KeyPress& press)
{
    std::string name;
    if (press.control)
        name += "ctrl+";
    if (press.alt)
        name += "alt+";
    if (press.shift)
        name += "shift+";
    for (auto& naming : kKeyNames) {
        if (naming.key == press.key)
            return name + std::string(naming.name);
    }
    return name;
}

std::vector<TabStop> tabStops(UIApplication& application)
{
    std::vector<TabStop> stops;
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden() || view.alpha() <= 0 || !view.isUserInteractionEnabled())
            return;
        CGRect frame = view.frameInWindow();
        if (view.canBecomeFocused())
            stops.push_back({ &view, nullptr, frame });
        UIViewDescription description;
        view.describe(description);
        for (auto& part : description.parts)
            stops.push_back({ &view, part.identity, CGRectOffset(part.frame, frame.minX(), frame.minY()) });
        for (auto& subview : view.subviews())
            walk(*subview);
    };
    if (auto* layer = application.keyboardLayer())
        walk(*layer);
    std::stable_sort(stops.begin(), stops.end(), [](const TabStop& a, const TabStop& b) {
        if (a.screenFrame.minY() != b.screenFrame.minY())
            return a.screenFrame.minY() < b.screenFrame.minY();
        return a.screenFrame.minX() < b.screenFrame.minX();
    });
    return stops;
}

bool pressKey(UIApplication& application, const KeyPress& press)
{
    if (press.control)
        return false;
    UIView* focused = application.focusedView();
    const void* focusedPart = application.focusedPart();
    switch (press.key) {
    case Key::Tab: {
        auto stops = tabStops(application);
        if (stops.empty())
            return false;
        auto current = std::find_if(stops.begin(), stops.end(),
            [&](const TabStop& stop) { return stop.view == focused && stop.part == focusedPart; });
        size_t index;
        if (current == stops.end())
            index = press.shift ? stops.size() - 1 : 0;
        else
            index = (size_t(current - stops.begin()) + (press.shift ? stops.size() - 1 : 1)) % stops.size();
        application.setFocus(stops[index].view, stops[index].part);
        return true;
    }
    case Key::Return:
        if (focused && focused->performPrimaryAction(focusedPart))
            return true;
        return answerAlert(application, Key::Return);
    case Key::Space:
        if (focused && focused->performPrimaryAction(focusedPart))
            return true;
        return scroll(application, [&](const UIView& view) { return press.shift ? -page(view) : page(view); });
    case Key::Escape:
        return answerAlert(application, Key::Escape) || goBack(application);
    case Key::Left:
        return press.alt && goBack(application);
    case Key::Right:
        return false;
    case Key::Up:
    case Key::Down:
        return scroll(application, [&](const UIView&) { return press.key == Key::Up ? -kLineScroll : kLineScroll; });
    case Key::PageUp:
    case Key::PageDown:
        return scroll(application, [&](const UIView& view) { return press.key == Key::PageUp ? -page(view) : page(view); });
    case Key::Home:
    case Key::End: {
        // Far enough for any text: scrolling stops at either end.
        constexpr CGFloat kFar = 1e7;
        return scroll(application, [&](const UIView&) { return press.key == Key::Home ? -kFar : kFar; });
    }
    }
    return false;
}
