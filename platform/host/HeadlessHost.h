#pragma once

#include "platform/host/Automation.h"
#include "platform/host/HostOptions.h"

#include <iosfwd>
#include <optional>

class UIApplication;

// Runs the application without a window, on a virtual clock: every action is followed by a
// settle that runs queued work and animations to the end. Commands come from a script (checked
// whole before anything runs), from another program line by line, or from an interactive console.
class HeadlessHost {
public:
    HeadlessHost(UIApplication& application, const HostOptions& options, std::ostream& out, std::ostream& err);

    // Runs a checked script; stops at the first failing command. Returns the exit status.
    int runScript(const AutomationScript& script);
    // Runs each line as soon as it has been read, for a program that drives the app and waits for
    // the answers: everything a line prints is flushed before the next is read. A bad or failing
    // line is reported as "line N: ..." and the session goes on; it ends at the end of the input
    // or with quit. Returns 2 when any line failed, else 0.
    int runLines(std::istream& in);
    // Reads commands line by line with a prompt and a description of the screen after each.
    int runConsole(std::istream& in);
    // Writes the settled first frame and returns.
    int runScreenshot(const std::string& path);

    Automation& automation() { return _automation; }

private:
    // Checks one line and runs its command, if it holds one; returns an error message or empty.
    std::string runLine(const std::string& line, bool& changedScreen);
    // Reads the next line (at most a script line's length) and runs it: none at the end of the
    // input, else the error, empty when the line went well.
    std::optional<std::string> readAndRunLine(std::istream& in, bool& changedScreen);

    std::ostream& _out;
    std::ostream& _err;
    Automation _automation;
    bool _dryRun = false;
    // Set when the input turned out to be a recording made with --dry-run and this run is not one.
    bool _refused = false;
};

// How a line of commands was read: whole, too long to keep (read to its end but not kept), or
// not at all because the input ended.
enum class LineRead { Line, TooLong, End };
// Reads up to the next line break or the end of the input, keeping at most LIMIT bytes of it, so
// that a line without end cannot fill the memory.
LineRead readBoundedLine(std::istream& in, std::string& line, size_t limit);
