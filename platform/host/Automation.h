#pragma once

#include "platform/host/DeviceProfile.h"
#include "platform/uikit/CGGeometry.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UIApplication;
class UIView;

// One line of an automation script: a verb and its argument (the rest of the line).
struct AutomationCommand {
    int line = 0;
    std::string verb;
    std::string argument;
};

struct AutomationScript {
    std::vector<AutomationCommand> commands;
    // The first problem found, with its line number; empty when the script is sound.
    std::string error;
};

// Reads a script: one command a line, '#' starts a comment, blank lines are skipped. Every line
// is checked before anything runs, so a bad script runs nothing: its grammar, its numbers (finite,
// and on SCREEN when it is given), its length and that it holds no control characters.
inline constexpr size_t kMaximumScriptLineBytes = 4096;
// drag FROM TO [SECONDS]: a touch that moves from one selector to another over SECONDS of the
// virtual clock, in steps of a display frame.
inline constexpr double kDefaultDragSeconds = 0.25;
inline constexpr double kMaximumDragSeconds = 10;
inline constexpr double kDragStepsPerSecond = 60;
AutomationScript parseAutomationScript(std::string_view text, std::optional<CGSize> screen = std::nullopt);

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

// Runs automation commands against the application: taps through hit testing, settling the run
// loop after each action, and the tree dump and screenshots.
class Automation {
public:
    Automation(UIApplication& application, DeviceProfile device, std::ostream& out);

    // Runs one command; returns an error message, or empty on success.
    std::string execute(const AutomationCommand& command);
    bool quitRequested() const { return _quit; }

    // Runs queued main-queue work and every animation to the end, until nothing is left.
    static void settle();

    // A touch down and up at the centre of what the selector names. Errors name the candidates.
    std::string tap(const std::string& selector);
    // A touch down at FROM that moves in steps over the virtual clock and lifts at TO.
    std::string drag(const std::string& argument);
    // The elements a selector names, topmost layer first, or an error.
    std::vector<AutomationElement> resolve(const std::string& selector, std::string& error) const;
    // Whether a touch at the element's centre would reach it; else what covers it.
    std::optional<std::string> coveringElement(const AutomationElement& element) const;

    // scroll SELECTOR DY moves a scrolling view's content by DY points (clamped to the content);
    // select SELECTOR LOCATION LENGTH selects text in UTF-16 units.
    std::string onView(const std::string& verb, const std::string& argument);

    // The selector a script would tap to reach what a touch at POINT reaches: #identifier or
    // "text" when that names the touched element alone and a tap at its centre reaches it too,
    // else the point itself.
    std::string selectorAt(CGPoint point) const;
    // #identifier or "text" naming VIEW alone, for scroll and select; none when neither does.
    std::optional<std::string> selectorFor(const UIView& view) const;

    // The whole state as JSON: indented when PRETTY, else on one line.
    std::string treeJSON(bool pretty = true) const;
    // Writes a PNG of the settled frame; returns an error message or empty.
    std::string screenshot(const std::string& path) const;
    // What is on screen, one line a view in reading order as each view kind describes itself
    // (the bar, buttons, labels, switches, text), then any alert.
    std::string describeScreen() const;

    // X,Y as a script writes it: on the screen, to a hundredth of a point.
    static std::string pointSelector(CGPoint point, CGSize screen);

private:
    std::vector<AutomationElement> elements() const;
    // The centre of the one element SELECTOR names; with CheckCover::Yes, only if a touch there reaches it.
    enum class CheckCover { No, Yes };
    std::optional<CGPoint> touchPoint(const std::string& selector, CheckCover, std::string& error) const;
    // Whether SELECTOR names only ELEMENT's view (or part) and a touch at its centre reaches it.
    bool namesAlone(const std::string& selector, const UIView& view, bool isPart) const;

    UIApplication& _application;
    DeviceProfile _device;
    std::ostream& _out;
    bool _quit = false;
};
