#pragma once

#include "platform/host/Automation.h"
#include "platform/host/HostOptions.h"

#include <iosfwd>
#include <optional>

class UIApplication;

// Runs the application without a window, on a virtual clock: every action is followed by a
// settle that runs queued work and animations to the end. Commands come from a script (checked
// whole before anything runs) or from an interactive console.
class HeadlessHost {
public:
    HeadlessHost(UIApplication& application, const HostOptions& options, std::ostream& out, std::ostream& err);

    // Runs a checked script; stops at the first failing command. Returns the exit status.
    int runScript(const AutomationScript& script);
    // Reads commands line by line with a prompt and a description of the screen after each.
    int runConsole(std::istream& in);
    // Writes the settled first frame and returns.
    int runScreenshot(const std::string& path);

    Automation& automation() { return _automation; }

private:
    std::ostream& _out;
    std::ostream& _err;
    Automation _automation;
};
