#pragma once

#include "platform/foundation/NSRange.h"
#include "platform/host/KeyboardNavigation.h"
#include "platform/uikit/CGGeometry.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A script is one command a line, '#' starts a comment, blank lines are skipped. Every line is
// checked before anything runs, so a bad script runs nothing: its grammar, its numbers (finite,
// and on SCREEN when it is given), its length and that it holds no control characters.
inline constexpr size_t kMaximumScriptLineBytes = 4096;
// drag FROM TO [SECONDS]: a touch that moves from one selector to another over SECONDS of the
// virtual clock, in steps of a display frame.
inline constexpr double kDefaultDragSeconds = 0.25;
inline constexpr double kMaximumDragSeconds = 10;
inline constexpr double kDragStepsPerSecond = 60;

// What each command takes, read and checked: selectors keep their grammar (see
// AutomationSelectors.h) and are looked up on the screen when the command runs.
namespace automation {
struct Tap {
    std::string selector;
};
struct Drag {
    std::string from;
    std::string to;
    double seconds = kDefaultDragSeconds;
};
// A scrolling view's content moves by DISTANCE points (held to the content).
struct Scroll {
    std::string selector;
    double distance = 0;
};
// Text of a view is selected, in UTF-16 units; RANGETEXT is the range as the script wrote it.
struct Select {
    std::string selector;
    NSRange range;
    std::string rangeText;
};
struct Key {
    KeyPress press;
};
struct Settle { };
// The tree goes to PATH, or to standard output when it is empty.
struct Tree {
    std::string path;
};
struct Screenshot {
    std::string path;
};
struct Quit { };
using Action = std::variant<Tap, Drag, Scroll, Select, Key, Settle, Tree, Screenshot, Quit>;
} // namespace automation

// The verbs, in the order of automation::Action.
enum class AutomationVerb { Tap, Drag, Scroll, Select, Key, Settle, Tree, Screenshot, Quit };

// Every verb a script knows: its name, how its argument reads and its forms for the console's help.
struct AutomationVerbEntry {
    AutomationVerb verb;
    std::string_view name;
    // Reads ARGUMENT (the rest of the line, trimmed) into ACTION; returns an error or empty.
    std::string (*parse)(const std::string& argument, std::optional<CGSize> screen, automation::Action& action);
    std::string_view help;
    // Whether running it may change what is on screen.
    bool changesScreen;
};
std::span<const AutomationVerbEntry> automationVerbs();
const AutomationVerbEntry& automationVerb(AutomationVerb verb);
// The commands as the console lists them: "tap #id | ... | quit".
std::string automationHelp();
// A command line as a script writes it, which the script reads back.
std::string automationLine(AutomationVerb verb, std::string_view argument);

// One line of a script, read into what it does.
struct AutomationCommand {
    int line = 0;
    // The argument as the line wrote it.
    std::string argument;
    automation::Action action;

    AutomationVerb verb() const { return AutomationVerb(action.index()); }
};

struct AutomationScript {
    std::vector<AutomationCommand> commands;
    // The first problem found, with its line number; empty when the script is sound.
    std::string error;
};

AutomationScript parseAutomationScript(std::string_view text, std::optional<CGSize> screen = std::nullopt);

// TEXT without the spaces, tabs and carriage returns at either end.
std::string trimBlanks(std::string_view text);
