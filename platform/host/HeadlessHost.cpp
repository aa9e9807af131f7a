#include "platform/host/HeadlessHost.h"

#include "platform/host/SessionRecorder.h"

#include "platform/uikit/UIScreen.h"

#include <istream>
#include <ostream>

LineRead readBoundedLine(std::istream& in, std::string& line, size_t limit)
{
    line.clear();
    auto* buffer = in.rdbuf();
    if (!buffer)
        return LineRead::End;
    bool tooLong = false;
    for (bool any = false;; any = true) {
        int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            if (!any)
                return LineRead::End;
            break;
        }
        if (c == '\n')
            break;
        if (line.size() < limit)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    return tooLong ? LineRead::TooLong : LineRead::Line;
}

namespace {

// A program reads one line per error: the candidates of an ambiguous tap follow on the same line.
std::string oneLine(const std::string& message)
{
    std::string line;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message[i] != '\n') {
            line += message[i];
            continue;
        }
        line += line.ends_with(':') ? " " : "; ";
        while (i + 1 < message.size() && message[i + 1] == ' ')
            ++i;
    }
    return line;
}

} // namespace

HeadlessHost::HeadlessHost(UIApplication& application, const HostOptions& options, std::ostream& out, std::ostream& err)
    : _out(out)
    , _err(err)
    , _automation(application, options.device, out)
    , _dryRun(options.dryRun)
{
    Automation::settle();
}

int HeadlessHost::runScript(const AutomationScript& script)
{
    for (auto& command : script.commands) {
        auto error = _automation.execute(command);
        if (!error.empty()) {
            _out << std::flush;
            _err << "line " << command.line << ": " << error << std::endl;
            return 2;
        }
        if (_automation.quitRequested())
            break;
    }
    return 0;
}

std::string HeadlessHost::runLine(const std::string& line, bool& changedScreen)
{
    changedScreen = false;
    auto script = parseAutomationScript(line, UIScreen::mainScreen().bounds().size);
    // The line is checked alone, so its own number in the message is always 1.
    if (!script.error.empty())
        return script.error.substr(script.error.find(": ") + 2);
    for (auto& command : script.commands) {
        if (auto error = _automation.execute(command); !error.empty())
            return error;
        changedScreen = automationVerb(command.verb()).changesScreen;
    }
    return "";
}

std::optional<std::string> HeadlessHost::readAndRunLine(std::istream& in, bool& changedScreen)
{
    std::string line;
    auto read = readBoundedLine(in, line, kMaximumScriptLineBytes);
    if (read == LineRead::End)
        return std::nullopt;
    if (read == LineRead::TooLong)
        return "longer than " + std::to_string(kMaximumScriptLineBytes) + " bytes";
    if (!_dryRun && isDryRunRecording(line)) {
        _refused = true;
        return "these commands were recorded with --dry-run and are replayed only with --dry-run; nothing more is run";
    }
    return runLine(line, changedScreen);
}

int HeadlessHost::runLines(std::istream& in)
{
    bool failed = false;
    for (int lineNumber = 1; !_automation.quitRequested() && !_refused; ++lineNumber) {
        bool changedScreen = false;
        auto error = readAndRunLine(in, changedScreen);
        if (!error)
            break;
        // What the line printed comes before what went wrong with it, even on one stream.
        _out << std::flush;
        if (!error->empty()) {
            failed = true;
            _err << "line " << lineNumber << ": " << oneLine(*error) << '\n';
        }
        _err << std::flush;
    }
    return failed ? 2 : 0;
}

int HeadlessHost::runConsole(std::istream& in)
{
    _out << "Zentrova console. Commands: " << automationHelp() << '\n';
    _out << _automation.describeScreen();
    while (!_automation.quitRequested() && !_refused) {
        _out << "zentrova> " << std::flush;
        bool changedScreen = false;
        auto error = readAndRunLine(in, changedScreen);
        if (!error)
            break;
        if (!error->empty()) {
            _out << std::flush;
            _err << *error << std::endl;
        } else if (changedScreen) {
            _out << _automation.describeScreen();
        }
    }
    _out << '\n';
    return 0;
}

int HeadlessHost::runScreenshot(const std::string& path)
{
    auto error = _automation.screenshot(path);
    if (!error.empty()) {
        _err << error << std::endl;
        return 1;
    }
    return 0;
}
