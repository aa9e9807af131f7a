#include "platform/host/SessionRecorder.h"

#include "platform/host/AutomationScript.h"
#include "platform/host/MessageText.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/render/OutputFile.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sstream>
#include <unistd.h>

namespace {

std::string number(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

} // namespace

SessionRecorder::SessionRecorder(UIApplication& application, Sink sink)
    : _sink(std::move(sink))
    , _selectors(application)
{
}

void SessionRecorder::write(const std::string& line)
{
    _sink(line + "\n");
}

void SessionRecorder::writeHeader(const std::string& program, const HostOptions& options, std::time_t when)
{
    std::tm utc {};
    gmtime_r(&when, &utc);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    write("# " + program + " \xE2\x80\x94 " + options.device.displayName + ", recorded " + date);
    std::ostringstream replay;
    replay << "# replay: " << program << " --headless";
    if (options.dryRun) {
        write(std::string(kDryRunRecordingLine));
        replay << " --dry-run";
    }
    if (options.device.name == "custom")
        replay << " --screen " << options.device.width << 'x' << options.device.height;
    else
        replay << " --device " << options.device.name;
    if (options.forcedScale)
        replay << " --scale " << *options.forcedScale;
    replay << " --root ROOT --script THIS_FILE";
    write(replay.str());
}

void SessionRecorder::touchBegan(CGPoint point, double seconds)
{
    // What the touch lands on is named now, before the press changes the screen.
    _pressed = true;
    _moved = false;
    _pressPoint = point;
    _pressSeconds = seconds;
    _pressSelector = _selectors.selectorAt(point);
}

void SessionRecorder::touchMoved(CGPoint point)
{
    if (_pressed && (point.x != _pressPoint.x || point.y != _pressPoint.y))
        _moved = true;
}

void SessionRecorder::touchEnded(CGPoint point, double seconds)
{
    if (!_pressed)
        return;
    _pressed = false;
    touchMoved(point);
    double held = seconds - _pressSeconds;
    // A scripted tap settles between press and release, which runs out whatever the press set
    // going (a text view's wait for a long press); while anything is still waiting, only a press
    // of the same length replays what happened.
    if (!_moved && held < kHoldSeconds && !runLoopIsBusy()) {
        write(automationLine(AutomationVerb::Tap, _pressSelector));
        return;
    }
    CGSize screen = UIScreen::mainScreen().bounds().size;
    // Up to the next hundredth, so that even the quickest drag takes some time.
    double duration = std::clamp(std::ceil(held * 100 - 1e-6) / 100, 0.01, kMaximumDragSeconds);
    write(automationLine(AutomationVerb::Drag,
        pointSelector(_pressPoint, screen) + " " + pointSelector(point, screen) + " " + number(duration)));
}

void SessionRecorder::wheelScrolled(const UIView& view, CGFloat dy)
{
    if (auto selector = _selectors.selectorFor(view))
        write(automationLine(AutomationVerb::Scroll, *selector + " " + number(dy)));
    else
        write("# a wheel scroll of " + number(dy) + " points over a view no selector names is left out");
}

void SessionRecorder::keyPressed(const std::string& name)
{
    write(automationLine(AutomationVerb::Key, name));
}

bool isDryRunRecording(std::string_view script)
{
    for (size_t start = 0; start < script.size();) {
        size_t end = std::min(script.find('\n', start), script.size());
        auto line = script.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line == kDryRunRecordingLine)
            return true;
        start = end + 1;
    }
    return false;
}

std::shared_ptr<RecordingFile> RecordingFile::open(const std::string& path, std::string& error)
{
    auto file = render::openOutputFile(path);
    if (file.fd < 0) {
        error = "--record " + quotedForMessage(path) + ": " + file.error;
        return nullptr;
    }
    return std::shared_ptr<RecordingFile>(new RecordingFile(file.fd));
}

RecordingFile::~RecordingFile()
{
    ::close(_fd);
}

bool RecordingFile::write(std::string_view text)
{
    while (!text.empty()) {
        ssize_t written = ::write(_fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(size_t(written));
    }
    return true;
}
