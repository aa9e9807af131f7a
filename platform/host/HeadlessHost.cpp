#include "platform/host/HeadlessHost.h"

#include "platform/uikit/UIScreen.h"

#include <istream>
#include <ostream>

HeadlessHost::HeadlessHost(UIApplication& application, const HostOptions& options, std::ostream& out, std::ostream& err)
    : _out(out)
    , _err(err)
    , _automation(application, options.device, out)
{
    Automation::settle();
}

int HeadlessHost::runScript(const AutomationScript& script)
{
    for (auto& command : script.commands) {
        auto error = _automation.execute(command);
        if (!error.empty()) {
            _err << "line " << command.line << ": " << error << std::endl;
            return 2;
        }
        if (_automation.quitRequested())
            break;
    }
    return 0;
}

int HeadlessHost::runConsole(std::istream& in)
{
    _out << "Zentrova console. Commands: tap #id | tap \"text\" | tap X,Y | settle | tree [FILE] | screenshot FILE | quit\n";
    _out << _automation.describeScreen();
    std::string line;
    int lineNumber = 0;
    while (true) {
        _out << "zentrova> " << std::flush;
        if (!std::getline(in, line))
            break;
        ++lineNumber;
        auto script = parseAutomationScript(line, UIScreen::mainScreen().bounds().size);
        if (!script.error.empty()) {
            _err << script.error.substr(script.error.find(": ") + 2) << std::endl;
            continue;
        }
        for (auto& command : script.commands) {
            auto error = _automation.execute(command);
            if (!error.empty())
                _err << error << std::endl;
            else if (command.verb == "tap" || command.verb == "settle")
                _out << _automation.describeScreen();
        }
        if (_automation.quitRequested())
            break;
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
