#include "platform/host/Automation.h"

#include "platform/host/RunLoopTurn.h"
#include "platform/host/TreeDump.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

constexpr std::string_view kVerbs[] = { "tap", "scroll", "select", "settle", "tree", "screenshot", "quit" };

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

// A selector's own grammar: #identifier, "text" or X,Y.
std::string checkSelector(const std::string& selector)
{
    if (selector.empty())
        return "tap needs a selector: #identifier, \"text\" or X,Y";
    if (selector[0] == '#')
        return selector.size() > 1 ? "" : "an identifier selector needs a name after '#'";
    if (selector[0] == '"') {
        if (selector.size() < 2 || selector.back() != '"' || (selector.size() >= 3 && selector[selector.size() - 2] == '\\'))
            return "unterminated text selector " + selector;
        return "";
    }
    auto comma = selector.find(',');
    if (comma == std::string::npos)
        return "'" + selector + "' is not a selector: use #identifier, \"text\" or X,Y";
    double x, y;
    auto xs = trim(selector.substr(0, comma)), ys = trim(selector.substr(comma + 1));
    auto [xe, xerr] = std::from_chars(xs.data(), xs.data() + xs.size(), x);
    auto [ye, yerr] = std::from_chars(ys.data(), ys.data() + ys.size(), y);
    if (xerr != std::errc() || yerr != std::errc() || xe != xs.data() + xs.size() || ye != ys.data() + ys.size())
        return "'" + selector + "' is not a point: use X,Y in screen points";
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
        if (error != std::errc() || last != word.data() + word.size())
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

std::string frameText(const CGRect& r)
{
    std::ostringstream out;
    out << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
    return out.str();
}

} // namespace

AutomationScript parseAutomationScript(std::string_view text)
{
    AutomationScript script;
    int lineNumber = 0;
    size_t position = 0;
    while (position <= text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view rawLine = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
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
        auto fail = [&](const std::string& message) {
            script.error = "line " + std::to_string(lineNumber) + ": " + message;
            script.commands.clear();
        };
        if (!known) {
            fail("unknown command '" + command.verb + "' (commands: tap, scroll, select, settle, tree, screenshot, quit)");
            return script;
        }
        if (command.verb == "tap") {
            if (auto problem = checkSelector(command.argument); !problem.empty()) {
                fail(problem);
                return script;
            }
        } else if (command.verb == "scroll" || command.verb == "select") {
            if (auto problem = checkViewCommand(command.verb, command.argument); !problem.empty()) {
                fail(problem);
                return script;
            }
        } else if (command.verb == "screenshot" && command.argument.empty()) {
            fail("screenshot needs a file name");
            return script;
        } else if ((command.verb == "settle" || command.verb == "quit") && !command.argument.empty()) {
            fail(command.verb + " takes no argument");
            return script;
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
    if (command.verb == "scroll" || command.verb == "select")
        return onView(command.verb, command.argument);
    if (command.verb == "settle") {
        settle();
        return "";
    }
    if (command.verb == "tree") {
        std::string json = treeJSON();
        if (command.argument.empty()) {
            _out << json << std::endl;
            return "";
        }
        std::ofstream file(command.argument);
        file << json << '\n';
        return file ? "" : "cannot write " + command.argument;
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
    auto comma = selector.find(',');
    double x = std::stod(selector.substr(0, comma)), y = std::stod(selector.substr(comma + 1));
    CGRect screen = UIScreen::mainScreen().bounds();
    if (x < 0 || y < 0 || x >= screen.size.width || y >= screen.size.height) {
        error = "the point " + selector + " lies outside the screen " + frameText(screen);
        return { };
    }
    matches.push_back({ nullptr, false, std::nullopt, CGRectMake(CGFloat(x), CGFloat(y), 0, 0), "the point " + selector });
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

std::string Automation::tap(const std::string& selector)
{
    std::string error;
    auto matches = resolve(selector, error);
    if (!error.empty())
        return error;
    if (matches.size() > 1) {
        std::string message = selector + " matches " + std::to_string(matches.size()) + " elements:";
        for (auto& match : matches)
            message += "\n  " + match.description + " at " + frameText(match.screenFrame);
        return message;
    }
    auto& element = matches.front();
    if (auto cover = coveringElement(element))
        return element.description + " is covered by " + *cover + " and cannot be tapped";
    CGPoint centre { element.screenFrame.midX(), element.screenFrame.midY() };
    _application.sendTouch(UITouchPhase::Began, centre);
    settle();
    _application.sendTouch(UITouchPhase::Ended, centre);
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

std::string Automation::treeJSON() const
{
    return dumpApplicationTree(_application, _device).dump(2);
}

std::string Automation::screenshot(const std::string& path) const
{
    auto& screen = UIScreen::mainScreen();
    render::Painter painter(screen.bounds().size.width, screen.bounds().size.height, screen.scale());
    _application.renderFrame(painter);
    return painter.writePNG(path) ? "" : "cannot write " + path;
}

std::string Automation::describeScreen() const
{
    std::ostringstream out;
    UIView* top = _application.presentationStack().topView();
    if (!top)
        top = _application.keyWindow();
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden())
            return;
        if (auto line = describe(view).consoleLine; !line.empty())
            out << line << '\n';
        for (auto& subview : view.subviews())
            walk(*subview);
    };
    if (top)
        walk(*top);
    for (auto& alert : _application.shownAlerts()) {
        out << "alert: \"" << alert->title().utf8() << "\"\n";
        std::string message = alert->message().utf8();
        std::string escaped;
        for (char c : message)
            escaped += c == '\n' ? std::string("\\n") : c == '\t' ? std::string("\\t") : std::string(1, c);
        out << "  message: \"" << escaped << "\"\n  buttons:";
        for (auto& title : alert->buttonTitles())
            out << " \"" << title.utf8() << "\"";
        out << '\n';
    }
    return out.str();
}
