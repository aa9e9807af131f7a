#include "platform/host/AutomationScript.h"

#include "platform/host/AutomationSelectors.h"
#include "platform/host/MessageText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace {

using automation::Action;

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

// Where a quoted text that starts at START ends (just past its closing quote), or the end of
// ARGUMENT when it is never closed.
size_t endOfQuoted(const std::string& argument, size_t start)
{
    size_t end = start + 1;
    while (end < argument.size() && argument[end] != '"')
        end += argument[end] == '\\' ? 2 : 1;
    return std::min(end + 1, argument.size() + 1);
}

// Splits "SELECTOR NUMBER..." where the selector may be a quoted text with spaces in it.
bool splitSelectorAndNumbers(const std::string& argument, std::string& selector, std::vector<double>& numbers)
{
    size_t end;
    if (!argument.empty() && argument[0] == '"') {
        end = endOfQuoted(argument, 0);
        if (end > argument.size())
            return false;
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

// scroll SELECTOR DY and select SELECTOR LOCATION LENGTH name a view by identifier or text, then
// take COUNT numbers.
std::string splitViewCommand(const std::string& argument, size_t count, std::string_view usage, std::string& selector,
    std::vector<double>& numbers)
{
    if (!splitSelectorAndNumbers(argument, selector, numbers) || selector.empty() || (selector[0] != '#' && selector[0] != '"'))
        return std::string(usage);
    if (auto problem = checkSelector(selector); !problem.empty())
        return problem;
    return numbers.size() == count ? "" : std::string(usage);
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
            end = std::min(endOfQuoted(argument, at), argument.size());
        } else {
            while (end < argument.size() && argument[end] != ' ' && argument[end] != '\t')
                ++end;
        }
        words.push_back(argument.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string parseTap(const std::string& argument, std::optional<CGSize> screen, Action& action)
{
    action = automation::Tap { argument };
    return checkSelector(argument, screen);
}

std::string parseDrag(const std::string& argument, std::optional<CGSize> screen, Action& action)
{
    auto words = splitWords(argument);
    if (words.size() < 2 || words.size() > 3)
        return "drag needs two selectors and may take a duration: drag FROM TO [SECONDS]";
    for (size_t i = 0; i < 2; ++i) {
        if (auto problem = checkSelector(words[i], screen); !problem.empty())
            return problem;
    }
    automation::Drag drag { words[0], words[1] };
    if (words.size() == 3) {
        double value = 0;
        auto& text = words[2];
        auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (problem != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0
            || value > kMaximumDragSeconds) {
            std::ostringstream message;
            message << "drag takes a duration of more than 0 and at most " << kMaximumDragSeconds << " seconds, not "
                    << quotedForMessage(text);
            return message.str();
        }
        drag.seconds = value;
    }
    action = std::move(drag);
    return "";
}

std::string parseScroll(const std::string& argument, std::optional<CGSize>, Action& action)
{
    std::string selector;
    std::vector<double> numbers;
    auto problem = splitViewCommand(argument, 1, "scroll needs a view and a distance: scroll #identifier DY", selector, numbers);
    if (problem.empty())
        action = automation::Scroll { selector, numbers[0] };
    return problem;
}

std::string parseSelect(const std::string& argument, std::optional<CGSize>, Action& action)
{
    std::string selector;
    std::vector<double> numbers;
    auto problem = splitViewCommand(argument, 2,
        "select needs a view, a location and a length: select #identifier LOCATION LENGTH", selector, numbers);
    if (!problem.empty())
        return problem;
    for (double number : numbers) {
        if (number < 0 || number != std::floor(number))
            return "select takes a whole location and length in UTF-16 units";
    }
    action = automation::Select { selector, { NSUInteger(numbers[0]), NSUInteger(numbers[1]) }, argument.substr(selector.size() + 1) };
    return "";
}

std::string parseKey(const std::string& argument, std::optional<CGSize>, Action& action)
{
    if (argument.empty())
        return "key needs a key: key Tab, key shift+Tab, key Escape, key End";
    std::string problem;
    if (auto press = parseKeyPress(argument, problem))
        action = automation::Key { *press };
    return problem;
}

std::string parseTree(const std::string& argument, std::optional<CGSize>, Action& action)
{
    action = automation::Tree { argument };
    return "";
}

std::string parseScreenshot(const std::string& argument, std::optional<CGSize>, Action& action)
{
    action = automation::Screenshot { argument };
    return argument.empty() ? "screenshot needs a file name" : "";
}

template <typename Plain, AutomationVerb verb>
std::string parseNoArgument(const std::string& argument, std::optional<CGSize>, Action& action)
{
    action = Plain { };
    return argument.empty() ? "" : std::string(automationVerb(verb).name) + " takes no argument";
}

constexpr AutomationVerbEntry kVerbs[] = {
    { AutomationVerb::Tap, "tap", parseTap, "tap #id | tap \"text\" | tap X,Y", true },
    { AutomationVerb::Drag, "drag", parseDrag, "drag FROM TO [SECONDS]", true },
    { AutomationVerb::Scroll, "scroll", parseScroll, "scroll #id DY", true },
    { AutomationVerb::Select, "select", parseSelect, "select #id FROM LENGTH", true },
    { AutomationVerb::Key, "key", parseKey, "key NAME", true },
    { AutomationVerb::Settle, "settle", parseNoArgument<automation::Settle, AutomationVerb::Settle>, "settle", true },
    { AutomationVerb::Tree, "tree", parseTree, "tree [FILE]", false },
    { AutomationVerb::Screenshot, "screenshot", parseScreenshot, "screenshot FILE", false },
    { AutomationVerb::Quit, "quit", parseNoArgument<automation::Quit, AutomationVerb::Quit>, "quit", false },
};
static_assert(std::size(kVerbs) == std::variant_size_v<Action>);
static_assert([] {
    for (size_t i = 0; i < std::size(kVerbs); ++i) {
        if (size_t(kVerbs[i].verb) != i)
            return false;
    }
    return true;
}());

std::string joinedVerbs(std::string_view separator, std::string_view AutomationVerbEntry::*field)
{
    std::string joined;
    for (auto& entry : kVerbs)
        joined += std::string(joined.empty() ? "" : separator) + std::string(entry.*field);
    return joined;
}

} // namespace

std::span<const AutomationVerbEntry> automationVerbs()
{
    return kVerbs;
}

const AutomationVerbEntry& automationVerb(AutomationVerb verb)
{
    return kVerbs[size_t(verb)];
}

std::string automationHelp()
{
    return joinedVerbs(" | ", &AutomationVerbEntry::help);
}

std::string automationLine(AutomationVerb verb, std::string_view argument)
{
    std::string line(automationVerb(verb).name);
    if (!argument.empty())
        line += " " + std::string(argument);
    return line;
}

std::string trimBlanks(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return { };
    size_t end = text.find_last_not_of(" \t\r");
    return std::string(text.substr(start, end - start + 1));
}

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
        std::string line = trimBlanks(withoutComment(rawLine));
        if (line.empty()) {
            if (end == text.size())
                break;
            continue;
        }
        auto space = line.find_first_of(" \t");
        auto name = line.substr(0, space);
        auto entry = std::find_if(std::begin(kVerbs), std::end(kVerbs), [&](auto& entry) { return entry.name == name; });
        if (entry == std::end(kVerbs))
            return fail("unknown command " + quotedForMessage(name) + " (commands: " + joinedVerbs(", ", &AutomationVerbEntry::name) + ")");
        AutomationCommand command;
        command.line = lineNumber;
        command.argument = space == std::string::npos ? "" : trimBlanks(line.substr(space));
        if (auto problem = entry->parse(command.argument, screen, command.action); !problem.empty())
            return fail(problem);
        script.commands.push_back(std::move(command));
        if (end == text.size())
            break;
    }
    return script;
}
