#include "platform/host/AutomationSelectors.h"

#include "platform/host/AutomationScript.h"
#include "platform/host/MessageText.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <sstream>

namespace {

// The X,Y of a point selector: two finite numbers, or none.
std::optional<CGPoint> parsePoint(std::string_view selector)
{
    auto comma = selector.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view text) -> std::optional<double> {
        auto trimmed = trimBlanks(text);
        double value = 0;
        auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
        if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(value))
            return std::nullopt;
        return value;
    };
    auto x = number(selector.substr(0, comma)), y = number(selector.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return CGPoint { CGFloat(*x), CGFloat(*y) };
}

bool liesOn(CGPoint point, CGSize screen)
{
    return point.x >= 0 && point.y >= 0 && point.x < screen.width && point.y < screen.height;
}

std::string unquote(const std::string& quoted)
{
    std::string out;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) {
            char next = quoted[++i];
            out.push_back(next == 'n' ? '\n' : next == 't' ? '\t' : next);
        } else {
            out.push_back(quoted[i]);
        }
    }
    return out;
}

// TEXT as a "text" selector that unquote reads back, or none when a script line cannot hold it.
std::optional<std::string> quoteText(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else if (c == '\t')
            quoted += "\\t";
        else if ((unsigned char)c < 0x20 || c == 0x7F)
            return std::nullopt;
        else
            quoted += c;
    }
    quoted += '"';
    // A selector that ends in an escaped backslash reads as unterminated.
    if (text.empty() || text.back() == '\\' || quoted.size() > kMaximumScriptLineBytes / 2)
        return std::nullopt;
    return quoted;
}

UIViewDescription describe(const UIView& view)
{
    UIViewDescription description;
    view.describe(description);
    return description;
}

std::string frameText(const CGRect& r)
{
    std::ostringstream out;
    out << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
    return out.str();
}

// SELECTOR's matches, a line each with where they are, after what went wrong.
std::string listedMatches(std::string message, const std::vector<AutomationElement>& matches)
{
    for (auto& match : matches)
        message += "\n  " + match.description + " at " + frameText(match.screenFrame);
    return message;
}

} // namespace

std::string checkSelector(const std::string& selector, std::optional<CGSize> screen)
{
    if (selector.empty())
        return "tap needs a selector: #identifier, \"text\" or X,Y";
    if (selector[0] == '#')
        return selector.size() > 1 ? "" : "an identifier selector needs a name after '#'";
    if (selector[0] == '"') {
        if (selector.size() < 2 || selector.back() != '"' || (selector.size() >= 3 && selector[selector.size() - 2] == '\\'))
            return "unterminated text selector " + quotedForMessage(selector);
        return "";
    }
    if (selector.find(',') == std::string::npos)
        return quotedForMessage(selector) + " is not a selector: use #identifier, \"text\" or X,Y";
    auto point = parsePoint(selector);
    if (!point)
        return quotedForMessage(selector) + " is not a point: use X,Y in screen points";
    if (screen && !liesOn(*point, *screen)) {
        std::ostringstream size;
        size << screen->width << "x" << screen->height;
        return "the point " + quotedForMessage(selector) + " lies outside the screen of " + size.str() + " points";
    }
    return "";
}

std::string pointSelector(CGPoint point, CGSize screen)
{
    // Down to a hundredth, and inside the far edges, so that the point reads back as on the screen.
    auto coordinate = [](CGFloat value, CGFloat size) {
        double hundredths = std::floor(double(value) * 100);
        hundredths = std::clamp(hundredths, 0.0, std::ceil(double(size) * 100) - 1);
        std::ostringstream out;
        out << hundredths / 100;
        return out.str();
    };
    return coordinate(point.x, screen.width) + "," + coordinate(point.y, screen.height);
}

AutomationSelectors::AutomationSelectors(UIApplication& application)
    : _application(application)
{
}

std::vector<AutomationElement> AutomationSelectors::elements() const
{
    std::vector<AutomationElement> found;
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden())
            return;
        for (auto it = view.subviews().rbegin(); it != view.subviews().rend(); ++it)
            walk(**it);
        auto description = describe(view);
        CGRect frame = view.frameInWindow();
        found.push_back({ &view, false, description.selectorText, frame, view.nameForDescription(description) });
        for (auto& part : description.parts)
            found.push_back({ &view, true, part.text, CGRectOffset(part.frame, frame.minX(), frame.minY()), part.name });
    };
    // Topmost first: the newest alert, then presented screens from the top, then the key window.
    auto& alerts = _application.shownAlerts();
    for (auto it = alerts.rbegin(); it != alerts.rend(); ++it)
        walk(**it);
    auto& presentations = _application.presentationStack().presentations();
    for (auto it = presentations.rbegin(); it != presentations.rend(); ++it) {
        if (auto view = it->controller->viewIfLoaded(); view && !it->dismissing)
            walk(*view);
    }
    if (auto* window = _application.keyWindow())
        walk(*window);
    return found;
}

std::vector<AutomationElement> AutomationSelectors::resolve(const std::string& selector, std::string& error) const
{
    error = checkSelector(selector);
    if (!error.empty())
        return { };
    std::vector<AutomationElement> matches;
    if (selector[0] == '#' || selector[0] == '"') {
        bool byIdentifier = selector[0] == '#';
        std::string wanted = byIdentifier ? selector.substr(1) : unquote(selector);
        for (auto& element : elements()) {
            bool match = false;
            if (byIdentifier)
                match = !element.isPart && element.view->accessibilityIdentifier().utf8() == wanted;
            else
                match = element.text == wanted;
            if (match)
                matches.push_back(element);
        }
        if (matches.empty())
            error = "nothing on screen matches " + selector;
        return matches;
    }
    CGPoint point = *parsePoint(selector);
    CGRect screen = UIScreen::mainScreen().bounds();
    if (!liesOn(point, screen.size)) {
        error = "the point " + quotedForMessage(selector) + " lies outside the screen " + frameText(screen);
        return { };
    }
    matches.push_back({ nullptr, false, std::nullopt, CGRectMake(point.x, point.y, 0, 0), "the point " + selector });
    return matches;
}

std::optional<std::string> AutomationSelectors::coveringElement(const AutomationElement& element) const
{
    if (!element.view)
        return std::nullopt;
    CGPoint centre { element.screenFrame.midX(), element.screenFrame.midY() };
    UIView* hit = _application.hitTest(centre);
    if (element.isPart) {
        if (hit == element.view)
            return std::nullopt;
    } else {
        for (UIView* view = hit; view; view = view->superview()) {
            if (view == element.view)
                return std::nullopt;
        }
    }
    return hit ? hit->nameForDescription(describe(*hit)) : std::string("nothing that takes touches");
}

std::optional<CGPoint> AutomationSelectors::touchPoint(const std::string& selector, CheckCover checkCover, std::string& error) const
{
    auto matches = resolve(selector, error);
    if (!error.empty())
        return std::nullopt;
    if (matches.size() > 1) {
        error = listedMatches(selector + " matches " + std::to_string(matches.size()) + " elements:", matches);
        return std::nullopt;
    }
    auto& element = matches.front();
    if (checkCover == CheckCover::Yes) {
        if (auto cover = coveringElement(element)) {
            error = element.description + " is covered by " + *cover + " and cannot be tapped";
            return std::nullopt;
        }
    }
    return CGPoint { element.screenFrame.midX(), element.screenFrame.midY() };
}

std::optional<AutomationElement> AutomationSelectors::viewNamed(const std::string& selector, std::string& error) const
{
    auto matches = resolve(selector, error);
    if (!error.empty())
        return std::nullopt;
    std::vector<AutomationElement> views;
    for (auto& match : matches) {
        if (match.view && !match.isPart)
            views.push_back(match);
    }
    if (views.size() != 1) {
        error = listedMatches(selector + " matches " + std::to_string(views.size()) + " views", views);
        return std::nullopt;
    }
    return views.front();
}

bool AutomationSelectors::namesAlone(const std::string& selector, const UIView& view, bool isPart) const
{
    std::string error;
    auto matches = resolve(selector, error);
    return error.empty() && matches.size() == 1 && matches.front().view == &view && matches.front().isPart == isPart
        && !coveringElement(matches.front());
}

std::optional<std::string> AutomationSelectors::selectorFor(const UIView& view) const
{
    auto identifier = view.accessibilityIdentifier().utf8();
    bool plain = !identifier.empty() && std::none_of(identifier.begin(), identifier.end(), [](unsigned char c) {
        return c <= ' ' || c == 0x7F || c == '"';
    });
    if (plain && namesAlone("#" + identifier, view, false))
        return "#" + identifier;
    if (auto text = describe(view).selectorText) {
        if (auto quoted = quoteText(*text); quoted && namesAlone(*quoted, view, false))
            return quoted;
    }
    return std::nullopt;
}

std::string AutomationSelectors::selectorAt(CGPoint point) const
{
    CGSize screen = UIScreen::mainScreen().bounds().size;
    UIView* hit = _application.hitTest(point);
    if (!hit)
        return pointSelector(point, screen);
    // A view with parts (a bar with its buttons) is named by the part under the touch; a tap at
    // the middle of the view itself could land on another part.
    auto description = describe(*hit);
    if (!description.parts.empty()) {
        CGRect frame = hit->frameInWindow();
        for (auto& part : description.parts) {
            if (!CGRectContainsPoint(CGRectOffset(part.frame, frame.minX(), frame.minY()), point))
                continue;
            if (auto quoted = quoteText(part.text); quoted && namesAlone(*quoted, *hit, true))
                return *quoted;
        }
        return pointSelector(point, screen);
    }
    // The touched view or the nearest enclosing one that has a name, as long as a tap at its
    // middle reaches the same view as this touch did.
    for (UIView* view = hit; view; view = view->superview()) {
        CGRect frame = view->frameInWindow();
        if (_application.hitTest({ frame.midX(), frame.midY() }) != hit)
            continue;
        if (auto selector = selectorFor(*view))
            return *selector;
    }
    return pointSelector(point, screen);
}
