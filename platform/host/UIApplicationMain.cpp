#include "platform/host/UIApplicationMain.h"

#include "platform/host/HeadlessHost.h"
#include "platform/host/HostOptions.h"
#include "platform/host/HostedApplication.h"
#include "platform/host/SDLHost.h"
#include "platform/system/System.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {

constexpr const char* kHeadlessStatusTime = "9:41";

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

int UIApplicationMain(int argc, char** argv, const char* principalClassName, const char* delegateClassName)
{
    std::vector<std::string> arguments(argv, argv + argc);
    std::string program = arguments.empty() ? "Zentrova" : arguments[0];
    if (auto slash = program.rfind('/'); slash != std::string::npos)
        program = program.substr(slash + 1);
    auto parsed = parseHostOptions(arguments);
    if (!parsed.options) {
        std::cerr << program << ": " << parsed.error << '\n' << hostUsage(program);
        return 2;
    }
    HostOptions options = *parsed.options;
    if (options.help) {
        std::cout << hostUsage(program);
        return 0;
    }

    // A script is read and checked whole before the app starts, so a bad one runs nothing.
    std::optional<AutomationScript> script;
    if (options.scriptPath) {
        auto text = readFile(*options.scriptPath);
        if (!text) {
            std::cerr << program << ": cannot read script " << *options.scriptPath << '\n';
            return 2;
        }
        script = parseAutomationScript(*text);
    }

    bool windowed = !options.headless;
    std::unique_ptr<SDLHost> window;
    if (windowed) {
        std::string reason;
        window = SDLHost::open(options, program, reason);
        if (!window) {
            std::cerr << program << ": " << reason << "; starting the headless console\n";
            windowed = false;
        }
    }
    if (!windowed && !script && !options.screenshotPath && !isatty(STDIN_FILENO)) {
        std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        script = parseAutomationScript(text);
    }
    if (script && !script->error.empty()) {
        std::cerr << program << ": " << script->error << '\n';
        return 2;
    }

    HostedApplication::Setup setup;
    setup.principalClassName = principalClassName;
    setup.delegateClassName = delegateClassName ? delegateClassName : "";
    setup.device = options.device;
    setup.root = options.root;
    if (options.dryRun)
        setup.system = std::make_shared<DryRunSystem>(std::cout);
    else
        setup.system = std::make_shared<RealSystem>();
    if (!windowed || options.statusTime)
        setup.statusTime = options.statusTime.value_or(kHeadlessStatusTime);
    auto hosted = HostedApplication::make(setup);
    if (!hosted) {
        std::cerr << program << ": no application class named " << principalClassName << '\n';
        return 1;
    }
    hosted->launch();

    int status = 0;
    if (windowed) {
        status = window->run(hosted->application());
    } else {
        HeadlessHost host(hosted->application(), options, std::cout, std::cerr);
        if (options.screenshotPath)
            status = host.runScreenshot(*options.screenshotPath);
        else if (script)
            status = host.runScript(*script);
        else
            status = host.runConsole(std::cin);
    }
    window.reset();
    hosted.reset();
    std::cout << std::flush;
    return status;
}
