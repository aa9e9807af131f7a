#pragma once

#include "platform/uikit/CGGeometry.h"

#include <optional>
#include <string>
#include <vector>

class UIApplication;
class UIView;

// A selector names what a script acts on: #identifier, "text" (with \" \\ \n \t escapes) or X,Y in
// screen points.

// The problem with a selector's own grammar, or empty; a point must lie on SCREEN when one is given.
std::string checkSelector(const std::string& selector, std::optional<CGSize> screen = std::nullopt);
// X,Y as a script writes it: on the screen, to a hundredth of a point.
std::string pointSelector(CGPoint point, CGSize screen);

// Something on screen that a selector can name: a view, or a part of one that takes taps on its
// own (a bar button of a navigation bar).
struct AutomationElement {
    UIView* view = nullptr;
    // A part is tapped through its view: the view itself must take the touch.
    bool isPart = false;
    // What a "text" selector matches; none when the element has no text.
    std::optional<std::string> text;
    CGRect screenFrame;
    std::string description;
};

// Finds what selectors name on the application's screen, and names what is there.
class AutomationSelectors {
public:
    explicit AutomationSelectors(UIApplication& application);

    // The elements a selector names, topmost layer first, or an error.
    std::vector<AutomationElement> resolve(const std::string& selector, std::string& error) const;
    // Whether a touch at the element's centre would reach it; else what covers it.
    std::optional<std::string> coveringElement(const AutomationElement& element) const;
    // The centre of the one element SELECTOR names; with CheckCover::Yes, only if a touch there
    // reaches it. Errors name the candidates.
    enum class CheckCover { No, Yes };
    std::optional<CGPoint> touchPoint(const std::string& selector, CheckCover, std::string& error) const;
    // The one view (not a part of one) SELECTOR names, for scroll and select.
    std::optional<AutomationElement> viewNamed(const std::string& selector, std::string& error) const;

    // The selector a script would tap to reach what a touch at POINT reaches: #identifier or
    // "text" when that names the touched element alone and a tap at its centre reaches it too,
    // else the point itself.
    std::string selectorAt(CGPoint point) const;
    // #identifier or "text" naming VIEW alone, for scroll and select; none when neither does.
    std::optional<std::string> selectorFor(const UIView& view) const;

private:
    std::vector<AutomationElement> elements() const;
    // Whether SELECTOR names only ELEMENT's view (or part) and a touch at its centre reaches it.
    bool namesAlone(const std::string& selector, const UIView& view, bool isPart) const;

    UIApplication& _application;
};
