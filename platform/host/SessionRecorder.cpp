#include "platform/host/SessionRecorder.h"

#include "platform/host/MessageText.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string number(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

bool isWithin(const UIView* view, const UIView& ancestor)
{
    for (; view; view = view->superview()) {
        if (view == &ancestor)
            return true;
    }
    return false;
}

} // namespace

SessionRecorder::SessionRecorder(UIApplication& application, const DeviceProfile& device, Sink sink)
    : _device(device)
    , _sink(std::move(sink))
    , _automation(application, device, _nowhere)
{
}

void SessionRecorder::write(const std::string& line)
{
    _sink(line + "\n");
}

void SessionRecorder::writeHeader(const std::string& program, const std::string& replayOptions, std::time_t when)
{
    std::tm utc {};
    gmtime_r(&when, &utc);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    write("# " + program + " \xE2\x80\x94 " + _device.displayName + ", recorded " + date);
    write("# replay: " + program + " --headless " + replayOptions + " --root ROOT --script THIS_FILE");
}

void SessionRecorder::touchBegan(CGPoint point, double seconds)
{
    // What the touch lands on is named now, before the press changes the screen.
    _pressed = true;
    _moved = false;
    _pressPoint = point;
    _pressSeconds = seconds;
    _pressSelector = _automation.selectorAt(point);
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
        write("tap " + _pressSelector);
        return;
    }
    CGSize screen = UIScreen::mainScreen().bounds().size;
    // Up to the next hundredth, so that even the quickest drag takes some time.
    double duration = std::clamp(std::ceil(held * 100 - 1e-6) / 100, 0.01, kMaximumDragSeconds);
    write("drag " + Automation::pointSelector(_pressPoint, screen) + " " + Automation::pointSelector(point, screen) + " "
        + number(duration));
}

void SessionRecorder::wheelScrolled(const UIView& view, CGFloat dy)
{
    if (auto selector = _automation.selectorFor(view))
        write("scroll " + *selector + " " + number(dy));
    else
        write("# a wheel scroll of " + number(dy) + " points over a view no selector names is left out");
}

void SessionRecorder::alertAnswered(const UIAlertView& alert, NSInteger index)
{
    if (index < 0 || index >= alert.numberOfButtons())
        return;
    std::string title = alert.buttonTitles()[size_t(index)].utf8();
    std::string selector = "\"";
    for (char c : title)
        selector += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    selector += '"';
    std::string error;
    auto matches = _automation.resolve(selector, error);
    std::vector<AutomationElement> inAlert;
    for (auto& match : matches) {
        if (isWithin(match.view, alert))
            inAlert.push_back(match);
    }
    if (inAlert.size() != 1) {
        write("# an answer of " + quotedForMessage(title) + " to an alert whose button no selector names is left out");
        return;
    }
    if (matches.size() == 1 && !_automation.coveringElement(matches.front())) {
        write("tap " + selector);
        return;
    }
    CGRect frame = inAlert.front().screenFrame;
    write("tap " + Automation::pointSelector({ frame.midX(), frame.midY() }, UIScreen::mainScreen().bounds().size));
}

std::shared_ptr<RecordingFile> RecordingFile::open(const std::string& path, std::string& error)
{
    // Without blocking, so that a pipe or a device in the file's place cannot hang the start.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) {
        error = "--record " + quotedForMessage(path) + ": "
            + (errno == EISDIR ? "is a folder" : errno == EACCES ? "permission denied" : "cannot open");
        return nullptr;
    }
    struct stat info { };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = "--record " + quotedForMessage(path) + " is not a regular file";
        return nullptr;
    }
    if (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        error = "--record " + quotedForMessage(path) + ": cannot write";
        return nullptr;
    }
    return std::shared_ptr<RecordingFile>(new RecordingFile(fd));
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
