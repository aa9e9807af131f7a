#pragma once

#include "platform/host/AutomationScript.h"
#include "platform/host/AutomationSelectors.h"
#include "platform/host/DeviceProfile.h"

#include <iosfwd>
#include <string>

class UIApplication;

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
    std::string drag(const automation::Drag& drag);
    // Moves a scrolling view's content, clamped to the content.
    std::string scroll(const automation::Scroll& scroll);
    std::string select(const automation::Select& select);

    // The whole state as JSON: indented when PRETTY, else on one line.
    std::string treeJSON(bool pretty = true) const;
    // Writes a PNG of the settled frame; returns an error message or empty.
    std::string screenshot(const std::string& path) const;
    // What is on screen, one line a view in reading order as each view kind describes itself
    // (the bar, buttons, labels, switches, text), then any alert.
    std::string describeScreen() const;

    const AutomationSelectors& selectors() const { return _selectors; }

private:
    std::string run(const automation::Tap& tap) { return this->tap(tap.selector); }
    std::string run(const automation::Drag& drag) { return this->drag(drag); }
    std::string run(const automation::Scroll& scroll) { return this->scroll(scroll); }
    std::string run(const automation::Select& select) { return this->select(select); }
    std::string run(const automation::Key& key);
    std::string run(const automation::Settle&);
    std::string run(const automation::Tree& tree);
    std::string run(const automation::Screenshot& shot) { return screenshot(shot.path); }
    std::string run(const automation::Quit&);

    UIApplication& _application;
    DeviceProfile _device;
    std::ostream& _out;
    AutomationSelectors _selectors;
    bool _quit = false;
};
