#include "platform/host/Automation.h"

#include "platform/host/KeyboardNavigation.h"
#include "platform/host/MessageText.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/host/TreeDump.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/OutputFile.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <functional>
#include <ostream>
#include <sstream>
#include <unistd.h>
#include <variant>

namespace {

// Writes TEXT as the whole of the file at PATH; an error message or empty.
std::string writeTextFile(const std::string& path, std::string_view text)
{
    auto file = render::openOutputFile(path);
    if (file.fd < 0)
        return "cannot write " + quotedForMessage(path) + ": " + file.error;
    while (!text.empty()) {
        ssize_t written = ::write(file.fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        text.remove_prefix(size_t(written));
    }
    bool complete = text.empty();
    if (::close(file.fd) != 0)
        complete = false;
    return complete ? "" : "cannot write " + quotedForMessage(path) + ": the disk may be full";
}

} // namespace

Automation::Automation(UIApplication& application, DeviceProfile device, std::ostream& out)
    : _application(application)
    , _device(std::move(device))
    , _out(out)
    , _selectors(application)
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
    return std::visit([this](const auto& action) { return run(action); }, command.action);
}

std::string Automation::run(const automation::Key& key)
{
    pressKey(_application, key.press);
    settle();
    return "";
}

std::string Automation::run(const automation::Settle&)
{
    settle();
    return "";
}

std::string Automation::run(const automation::Tree& tree)
{
    // On standard output the tree is one line, so that a program driving the app reads one
    // line per tree; in a file it is laid out for people.
    if (tree.path.empty()) {
        _out << treeJSON(false) << std::endl;
        return "";
    }
    return writeTextFile(tree.path, treeJSON(true) + '\n');
}

std::string Automation::run(const automation::Quit&)
{
    _quit = true;
    return "";
}

std::string Automation::tap(const std::string& selector)
{
    std::string error;
    auto centre = _selectors.touchPoint(selector, AutomationSelectors::CheckCover::Yes, error);
    if (!centre)
        return error;
    _application.sendTouch(UITouchPhase::Began, *centre);
    settle();
    _application.sendTouch(UITouchPhase::Ended, *centre);
    settle();
    return "";
}

std::string Automation::drag(const automation::Drag& drag)
{
    std::string error;
    auto from = _selectors.touchPoint(drag.from, AutomationSelectors::CheckCover::Yes, error);
    if (!from)
        return error;
    auto to = _selectors.touchPoint(drag.to, AutomationSelectors::CheckCover::No, error);
    if (!to)
        return error;
    // The finger moves a frame at a time while the clock runs, so what waits for a held touch
    // (a long press) sees the same time pass as in the window.
    int steps = std::max(1, int(std::ceil(drag.seconds * kDragStepsPerSecond)));
    double step = drag.seconds / steps;
    _application.sendTouch(UITouchPhase::Began, *from);
    for (int i = 1; i <= steps; ++i) {
        turnRunLoop([step](CAAnimationEngine& engine) { engine.advanceTo(engine.currentTime() + step); }, nullptr);
        double along = double(i) / steps;
        _application.sendTouch(UITouchPhase::Moved,
            { CGFloat(from->x + (to->x - from->x) * along), CGFloat(from->y + (to->y - from->y) * along) });
    }
    _application.sendTouch(UITouchPhase::Ended, *to);
    settle();
    return "";
}

std::string Automation::scroll(const automation::Scroll& scroll)
{
    std::string error;
    auto view = _selectors.viewNamed(scroll.selector, error);
    if (!view)
        return error;
    // Scrolling stops at either end of the content, as a finger's would.
    view->view->scrollBy(CGFloat(scroll.distance));
    settle();
    return "";
}

std::string Automation::select(const automation::Select& select)
{
    std::string error;
    auto view = _selectors.viewNamed(select.selector, error);
    if (!view)
        return error;
    if (!view->view->selectTextRange(select.range))
        return view->description + " has no text in which to select " + select.rangeText;
    settle();
    return "";
}

std::string Automation::treeJSON(bool pretty) const
{
    // Text that is not UTF-8 is shown with replacement characters rather than refused.
    return dumpApplicationTree(_application, _device).dump(pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Automation::screenshot(const std::string& path) const
{
    auto& screen = UIScreen::mainScreen();
    render::Painter painter(screen.bounds().size.width, screen.bounds().size.height, screen.scale());
    _application.renderFrame(painter);
    std::string error;
    return painter.writePNG(path, error) ? "" : "cannot write " + quotedForMessage(path) + ": " + error;
}

std::string Automation::describeScreen() const
{
    struct Line {
        CGRect frame;
        std::string text;
    };
    std::vector<Line> lines;
    std::function<void(UIView&)> walk = [&](UIView& view) {
        if (view.isHidden())
            return;
        UIViewDescription description;
        view.describe(description);
        if (!description.consoleLine.empty())
            lines.push_back({ view.frameInWindow(), description.consoleLine });
        if (description.consoleLineCoversSubviews)
            return;
        for (auto& subview : view.subviews())
            walk(*subview);
    };
    UIView* top = _application.presentationStack().topView();
    if (!top)
        top = _application.keyWindow();
    if (top)
        walk(*top);
    // In reading order, top to bottom and then left to right, so that a label comes before the
    // switch beside it whatever order the screen added them in.
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        if (a.frame.minY() != b.frame.minY())
            return a.frame.minY() < b.frame.minY();
        return a.frame.minX() < b.frame.minX();
    });
    std::ostringstream out;
    for (auto& line : lines)
        out << line.text << '\n';
    // Alerts float over the screen; the newest is the one that takes the taps, and comes last.
    for (auto& alert : _application.shownAlerts()) {
        UIViewDescription description;
        alert->describe(description);
        if (!description.consoleLine.empty())
            out << description.consoleLine << '\n';
    }
    return out.str();
}
