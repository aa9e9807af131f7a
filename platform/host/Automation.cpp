#include "platform/host/Automation.h"

#include "platform/host/KeyboardNavigation.h"
#include "platform/host/MessageText.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/host/TreeDump.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/OutputFile.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr std::string_view kVerbs[] = { "tap", "drag", "scroll", "select", "key", "settle", "tree", "screenshot", "quit" };

std::string trim(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return { };
    size_t end = text.find_last_not_of(" \t\r");
    return std::string(text.substr(start, end - start + 1));
}

// Strips a comment: a line that starts with '#', or a '#' outside double quotes that stands
// alone (blank on both sides), since "#name" is an identifier selector.
std::string_view withoutComment(std::string_view line)
{
    if (auto first = line.find_first_not_of(" \t"); first != std::string_view::npos && line[first] == '#')
        return line.substr(0, first);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && quoted) {
            ++i;
            continue;
        }
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted && (line[i - 1] == ' ' || line[i - 1] == '\t')
            && (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t'))
            return line.substr(0, i);
    }
    return line;
}

// The X,Y of a point selector: two finite numbers, or none.
std::optional<CGPoint> parsePoint(std::string_view selector)
{
    auto comma = selector.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view text) -> std::optional<double> {
        auto trimmed = trim(text);
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

// A selector's own grammar: #identifier, "text" or X,Y; a point must lie on SCREEN when one is given.
std::string checkSelector(const std::string& selector, std::optional<CGSize> screen = std::nullopt)
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

// Splits "SELECTOR NUMBER..." where the selector may be a quoted text with spaces in it.
bool splitSelectorAndNumbers(const std::string& argument, std::string& selector, std::vector<double>& numbers)
{
    size_t end;
    if (!argument.empty() && argument[0] == '"') {
        end = 1;
        while (end < argument.size() && argument[end] != '"')
            end += argument[end] == '\\' ? 2 : 1;
        if (end >= argument.size())
            return false;
        ++end;
    } else {
        end = argument.find_first_of(" \t");
    }
    selector = argument.substr(0, end);
    numbers.clear();
    std::istringstream rest(end == std::string::npos ? std::string() : argument.substr(end));
    std::string word;
    while (rest >> word) {
        double value;
        auto [last, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        // Distances and positions are finite and within what a screen or a text can hold.
        if (error != std::errc() || last != word.data() + word.size() || !std::isfinite(value) || std::abs(value) > 1e9)
            return false;
        numbers.push_back(value);
    }
    return true;
}

// scroll SELECTOR DY and select SELECTOR LOCATION LENGTH name a view by identifier or text.
std::string checkViewCommand(const std::string& verb, const std::string& argument)
{
    std::string usage = verb == "scroll" ? "scroll needs a view and a distance: scroll #identifier DY"
                                         : "select needs a view, a location and a length: select #identifier LOCATION LENGTH";
    std::string selector;
    std::vector<double> numbers;
    if (!splitSelectorAndNumbers(argument, selector, numbers) || selector.empty() || (selector[0] != '#' && selector[0] != '"'))
        return usage;
    if (auto problem = checkSelector(selector); !problem.empty())
        return problem;
    if (verb == "scroll")
        return numbers.size() == 1 ? "" : usage;
    if (numbers.size() != 2)
        return usage;
    for (double number : numbers) {
        if (number < 0 || number != std::floor(number))
            return "select takes a whole location and length in UTF-16 units";
    }
    return "";
}

// Splits an argument into selectors and words: a quoted text with its spaces is one of them.
std::vector<std::string> splitWords(const std::string& argument)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at < argument.size()) {
        if (argument[at] == ' ' || argument[at] == '\t') {
            ++at;
            continue;
        }
        size_t end = at;
        if (argument[at] == '"') {
            end = at + 1;
            while (end < argument.size() && argument[end] != '"')
                end += argument[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, argument.size());
        } else {
            while (end < argument.size() && argument[end] != ' ' && argument[end] != '\t')
                ++end;
        }
        words.push_back(argument.substr(at, end - at));
        at = end;
    }
    return words;
}

struct DragArguments {
    std::string from;
    std::string to;
    double seconds = kDefaultDragSeconds;
};

std::optional<DragArguments> parseDrag(const std::string& argument, std::string& error, std::optional<CGSize> screen = std::nullopt)
{
    auto words = splitWords(argument);
    if (words.size() < 2 || words.size() > 3) {
        error = "drag needs two selectors and may take a duration: drag FROM TO [SECONDS]";
        return std::nullopt;
    }
    for (size_t i = 0; i < 2; ++i) {
        if (error = checkSelector(words[i], screen); !error.empty())
            return std::nullopt;
    }
    DragArguments drag { words[0], words[1] };
    if (words.size() == 3) {
        double value = 0;
        auto& text = words[2];
        auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (problem != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0
            || value > kMaximumDragSeconds) {
            std::ostringstream message;
            message << "drag takes a duration of more than 0 and at most " << kMaximumDragSeconds << " seconds, not "
                    << quotedForMessage(text);
            error = message.str();
            return std::nullopt;
        }
        drag.seconds = value;
    }
    return drag;
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

std::string describeView(const UIView& view)
{
    return view.nameForDescription(describe(view));
}

// Writes TEXT as the whole of the file at PATH; an error message or empty.
std::string writeTextFile(const std::string& path, std::string_view text)
{
    auto file = render::openOutputFile(path);
    if (file.fd < 0)
        return "cannot write " + quotedForMessage(path) + ": " + file.error;
    while (!text.empty()) {
        ssize_t written = ::write(file.fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        text.remove_prefix(size_t(written));
    }
    bool complete = text.empty();
    if (::close(file.fd) != 0)
        complete = false;
    return complete ? "" : "cannot write " + quotedForMessage(path) + ": the disk may be full";
}

std::string frameText(const CGRect& r)
{
    std::ostringstream out;
    out << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
    return out.str();
}

} // namespace

AutomationScript parseAutomationScript(std::string_view text, std::optional<CGSize> screen)
{
    AutomationScript script;
    int lineNumber = 0;
    size_t position = 0;
    auto fail = [&](const std::string& message) {
        script.error = "line " + std::to_string(lineNumber) + ": " + message;
        script.commands.clear();
        return script;
    };
    while (position <= text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view rawLine = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        if (rawLine.size() > kMaximumScriptLineBytes)
            return fail("longer than " + std::to_string(kMaximumScriptLineBytes) + " bytes");
        // Control characters have no meaning in a command and would only reach the terminal in
        // messages; a script holding one is not a script.
        for (unsigned char c : rawLine) {
            if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F)
                return fail("holds the control character " + quotedForMessage(std::string(1, char(c))));
        }
        std::string line = trim(withoutComment(rawLine));
        if (line.empty()) {
            if (end == text.size())
                break;
            continue;
        }
        auto space = line.find_first_of(" \t");
        AutomationCommand command { lineNumber, line.substr(0, space), space == std::string::npos ? "" : trim(line.substr(space)) };
        bool known = false;
        for (auto verb : kVerbs)
            known = known || command.verb == verb;
        if (!known)
            return fail("unknown command " + quotedForMessage(command.verb)
                + " (commands: tap, drag, scroll, select, key, settle, tree, screenshot, quit)");
        if (command.verb == "tap") {
            if (auto problem = checkSelector(command.argument, screen); !problem.empty())
                return fail(problem);
        } else if (command.verb == "drag") {
            std::string problem;
            if (!parseDrag(command.argument, problem, screen))
                return fail(problem);
        } else if (command.verb == "scroll" || command.verb == "select") {
            if (auto problem = checkViewCommand(command.verb, command.argument); !problem.empty())
                return fail(problem);
        } else if (command.verb == "key") {
            std::string problem;
            if (command.argument.empty())
                return fail("key needs a key: key Tab, key shift+Tab, key Escape, key End");
            if (!parseKeyPress(command.argument, problem))
                return fail(problem);
        } else if (command.verb == "screenshot" && command.argument.empty()) {
            return fail("screenshot needs a file name");
        } else if ((command.verb == "settle" || command.verb == "quit") && !command.argument.empty()) {
            return fail(command.verb + " takes no argument");
        }
        script.commands.push_back(std::move(command));
        if (end == text.size())
            break;
    }
    return script;
}

Automation::Automation(UIApplication& application, DeviceProfile device, std::ostream& out)
    : _application(application)
    , _device(std::move(device))
    , _out(out)
{
}

void Automation::settle()
{
    // Work and animations may start each other; go round until both are idle.
    for (int round = 0; round < 10000 && runLoopIsBusy(); ++round)
        turnRunLoop(finishEveryAnimation, nullptr);
}

std::string Automation::execute(const AutomationCommand& command)
{
    if (command.verb == "tap")
        return tap(command.argument);
    if (command.verb == "drag")
        return drag(command.argument);
    if (command.verb == "scroll" || command.verb == "select")
        return onView(command.verb, command.argument);
    if (command.verb == "key") {
        std::string error;
        auto press = parseKeyPress(command.argument, error);
        if (!press)
            return error;
        pressKey(_application, *press);
        settle();
        return "";
    }
    if (command.verb == "settle") {
        settle();
        return "";
    }
    if (command.verb == "tree") {
        // On standard output the tree is one line, so that a program driving the app reads one
        // line per tree; in a file it is laid out for people.
        if (command.argument.empty()) {
            _out << treeJSON(false) << std::endl;
            return "";
        }
        return writeTextFile(command.argument, treeJSON(true) + '\n');
    }
    if (command.verb == "screenshot")
        return screenshot(command.argument);
    if (command.verb == "quit") {
        _quit = true;
        return "";
    }
    return "unknown command '" + command.verb + "'";
}

std::vector<AutomationElement> Automation::elements() const
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

std::vector<AutomationElement> Automation::resolve(const std::string& selector, std::string& error) const
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

std::optional<std::string> Automation::coveringElement(const AutomationElement& element) const
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
    return hit ? describeView(*hit) : std::string("nothing that takes touches");
}

std::optional<CGPoint> Automation::touchPoint(const std::string& selector, CheckCover checkCover, std::string& error) const
{
    auto matches = resolve(selector, error);
    if (!error.empty())
        return std::nullopt;
    if (matches.size() > 1) {
        error = selector + " matches " + std::to_string(matches.size()) + " elements:";
        for (auto& match : matches)
            error += "\n  " + match.description + " at " + frameText(match.screenFrame);
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

std::string Automation::tap(const std::string& selector)
{
    std::string error;
    auto centre = touchPoint(selector, CheckCover::Yes, error);
    if (!centre)
        return error;
    _application.sendTouch(UITouchPhase::Began, *centre);
    settle();
    _application.sendTouch(UITouchPhase::Ended, *centre);
    settle();
    return "";
}

std::string Automation::drag(const std::string& argument)
{
    std::string error;
    auto drag = parseDrag(argument, error);
    if (!drag)
        return error;
    auto from = touchPoint(drag->from, CheckCover::Yes, error);
    if (!from)
        return error;
    auto to = touchPoint(drag->to, CheckCover::No, error);
    if (!to)
        return error;
    // The finger moves a frame at a time while the clock runs, so what waits for a held touch
    // (a long press) sees the same time pass as in the window.
    int steps = std::max(1, int(std::ceil(drag->seconds * kDragStepsPerSecond)));
    double step = drag->seconds / steps;
    _application.sendTouch(UITouchPhase::Began, *from);
    for (int i = 1; i <= steps; ++i) {
        turnRunLoop([step](CAAnimationEngine& engine) { engine.advanceTo(engine.currentTime() + step); }, nullptr);
        double along = double(i) / steps;
        _application.sendTouch(UITouchPhase::Moved,
            { CGFloat(from->x + (to->x - from->x) * along), CGFloat(from->y + (to->y - from->y) * along) });
    }
    _application.sendTouch(UITouchPhase::Ended, *to);
    settle();
    return "";
}

std::string Automation::onView(const std::string& verb, const std::string& argument)
{
    std::string selector;
    std::vector<double> numbers;
    if (!splitSelectorAndNumbers(argument, selector, numbers))
        return checkViewCommand(verb, argument);
    std::string error;
    auto matches = resolve(selector, error);
    if (!error.empty())
        return error;
    std::vector<AutomationElement> views;
    for (auto& match : matches) {
        if (match.view && !match.isPart)
            views.push_back(match);
    }
    if (views.size() != 1) {
        std::string message = selector + " matches " + std::to_string(views.size()) + " views";
        for (auto& match : views)
            message += "\n  " + match.description + " at " + frameText(match.screenFrame);
        return message;
    }
    UIView& view = *views.front().view;
    if (verb == "scroll") {
        // Scrolling stops at either end of the content, as a finger's would.
        view.scrollBy(CGFloat(numbers[0]));
    } else if (!view.selectTextRange({ NSUInteger(numbers[0]), NSUInteger(numbers[1]) })) {
        return views.front().description + " has no text in which to select " + argument.substr(selector.size() + 1);
    }
    settle();
    return "";
}

std::string Automation::pointSelector(CGPoint point, CGSize screen)
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

bool Automation::namesAlone(const std::string& selector, const UIView& view, bool isPart) const
{
    std::string error;
    auto matches = resolve(selector, error);
    return error.empty() && matches.size() == 1 && matches.front().view == &view && matches.front().isPart == isPart
        && !coveringElement(matches.front());
}

std::optional<std::string> Automation::selectorFor(const UIView& view) const
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

std::string Automation::selectorAt(CGPoint point) const
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

std::string Automation::treeJSON(bool pretty) const
{
    // Text that is not UTF-8 is shown with replacement characters rather than refused.
    return dumpApplicationTree(_application, _device).dump(pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Automation::screenshot(const std::string& path) const
{
    auto& screen = UIScreen::mainScreen();
    render::Painter painter(screen.bounds().size.width, screen.bounds().size.height, screen.scale());
    _application.renderFrame(painter);
    std::string error;
    return painter.writePNG(path, error) ? "" : "cannot write " + quotedForMessage(path) + ": " + error;
}

std::string Automation::describeScreen() const
{
    struct Line {
        CGRect frame;
        std::string text;
    };
    std::vector<Line> lines;
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden())
            return;
        auto description = describe(view);
        if (!description.consoleLine.empty())
            lines.push_back({ view.frameInWindow(), description.consoleLine });
        if (description.consoleLineCoversSubviews)
            return;
        for (auto& subview : view.subviews())
            walk(*subview);
    };
    UIView* top = _application.presentationStack().topView();
    if (!top)
        top = _application.keyWindow();
    if (top)
        walk(*top);
    // In reading order, top to bottom and then left to right, so that a label comes before the
    // switch beside it whatever order the screen added them in.
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        if (a.frame.minY() != b.frame.minY())
            return a.frame.minY() < b.frame.minY();
        return a.frame.minX() < b.frame.minX();
    });
    std::ostringstream out;
    for (auto& line : lines)
        out << line.text << '\n';
    // Alerts float over the screen; the newest is the one that takes the taps, and comes last.
    for (auto& alert : _application.shownAlerts()) {
        if (auto line = describe(*alert).consoleLine; !line.empty())
            out << line << '\n';
    }
    return out.str();
}
