#include "platform/host/UIApplicationMain.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostOptions.h"
#include "platform/host/SDLHost.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/system/System.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

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

    setDeviceRoot(options.root);
    NSUserDefaults::resetStandardUserDefaults();
    UIScreen::mainScreen().configure({ CGFloat(options.device.width), CGFloat(options.device.height) },
        CGFloat(options.device.scale));
    auto previousSystem = System::setCurrent(options.dryRun ? std::shared_ptr<System>(std::make_shared<DryRunSystem>(std::cout))
                                                            : std::shared_ptr<System>(std::make_shared<RealSystem>()));

    auto application = std::dynamic_pointer_cast<UIApplication>(NSCreateInstanceOfClass(principalClassName));
    if (!application) {
        std::cerr << program << ": no application class named " << principalClassName << '\n';
        return 1;
    }
    UIApplication::setSharedApplication(application.get());
    if (std::string_view(delegateClassName) == principalClassName)
        application->setDelegate(dynamic_cast<UIApplicationDelegate*>(application.get()));
    else if (delegateClassName)
        application->adoptDelegate(NSCreateInstanceOfClass(delegateClassName));
    if (!windowed || options.statusTime)
        application->setStatusBarTimeText(options.statusTime.value_or(kHeadlessStatusTime));

    if (auto* delegate = application->delegate())
        delegate->applicationDidFinishLaunching(*application);

    int status = 0;
    if (windowed) {
        status = window->run(*application);
    } else {
        HeadlessHost host(*application, options, std::cout, std::cerr);
        if (options.screenshotPath)
            status = host.runScreenshot(*options.screenshotPath);
        else if (script)
            status = host.runScript(*script);
        else
            status = host.runConsole(std::cin);
    }
    window.reset();

    // The application object goes last, after whatever the loop left queued.
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    UIApplication::setSharedApplication(nullptr);
    application.reset();
    System::setCurrent(previousSystem);
    std::cout << std::flush;
    return status;
}
