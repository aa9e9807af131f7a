#pragma once

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/host/AutomationSelectors.h"
#include "platform/host/HostOptions.h"
#include "platform/uikit/CGGeometry.h"

#include <ctime>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

class UIAlertView;
class UIApplication;
class UIView;

// Writes what a person does in the window as an automation script that replays it headless: a
// tap by the selector that names what was touched (else by its point), a press that moved or was
// held as a drag, a wheel turn as a scroll, and a key as `key NAME`. Each line is handed on as soon as it is known, so a crash still leaves everything
// that led up to it.
class SessionRecorder {
public:
    // Takes one line with its newline; false when it could not be written.
    using Sink = std::function<bool(std::string_view)>;

    SessionRecorder(UIApplication& application, Sink sink);

    // The comment lines a recording starts with: who recorded it, on what, when, and how to replay
    // it with every option that changes what runs (--dry-run above all, the screen, the scale); a
    // session that ran no real power command says so in a line of its own.
    void writeHeader(const std::string& program, const HostOptions& options, std::time_t when);

    // Called before the application sees each touch (and the release before the run loop turns
    // again); SECONDS on any steady clock.
    void touchBegan(CGPoint point, double seconds);
    void touchMoved(CGPoint point);
    void touchEnded(CGPoint point, double seconds);
    // VIEW has just scrolled by DY points under the wheel.
    void wheelScrolled(const UIView& view, CGFloat dy);
    // A key that did something, by the name `key` takes.
    void keyPressed(const std::string& name);

    // A press held at least this long without moving is written as a drag, so that what waits
    // for a held touch sees it held when the script replays.
    static constexpr double kHoldSeconds = 0.4;

private:
    void write(const std::string& line);

    Sink _sink;
    AutomationSelectors _selectors;
    bool _pressed = false;
    bool _moved = false;
    CGPoint _pressPoint;
    double _pressSeconds = 0;
    std::string _pressSelector;
};

// The line a recording made with --dry-run carries; a script that holds it replays only with
// --dry-run, so that a session that pressed Reboot harmlessly stays harmless.
inline constexpr std::string_view kDryRunRecordingLine = "# recorded with --dry-run: replay it with --dry-run";
bool isDryRunRecording(std::string_view script);

// The file a recording goes to, written a line at a time with no buffer in between. Opened as
// other output files are (render/OutputFile.h): a regular file that is made or emptied, never a
// folder, a pipe or a device.
class RecordingFile {
public:
    static std::shared_ptr<RecordingFile> open(const std::string& path, std::string& error);
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    bool write(std::string_view text);

private:
    explicit RecordingFile(int fd)
        : _fd(fd)
    {
    }
    int _fd = -1;
};
