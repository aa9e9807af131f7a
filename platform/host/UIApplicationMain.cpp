#include "platform/host/UIApplicationMain.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostOptions.h"
#include "platform/host/HostWindow.h"
#include "platform/host/HostedApplication.h"
#include "platform/host/SDLHost.h"
#include "platform/host/SessionRecorder.h"
#include "platform/system/PrivilegeSeparation.h"
#include "platform/system/System.h"

#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kHeadlessStatusTime = "9:41";

// The options that give a headless run the same screen as this one.
std::string replayOptions(const HostOptions& options)
{
    std::ostringstream out;
    if (options.device.name == "custom")
        out << "--screen " << options.device.width << 'x' << options.device.height;
    else
        out << "--device " << options.device.name;
    if (options.forcedScale)
        out << " --scale " << *options.forcedScale;
    return out.str();
}

} // namespace

int UIApplicationMain(int argc, char** argv, const char* principalClassName, const char* delegateClassName)
{
    std::vector<std::string> arguments(argv, argv + argc);
    std::string program = hostProgramName(arguments);
    // The program gives up raised privilege before any library starts (separatePrivilege); a
    // process that still holds it here was started some other way and must not go on.
    if (holdsRaisedPrivilege()) {
        std::cerr << program << ": started with raised privilege that was not given up\n";
        return 1;
    }
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
    CGSize screen { CGFloat(options.device.width), CGFloat(options.device.height) };
    if (options.scriptPath) {
        auto file = readScriptFile(*options.scriptPath);
        if (!file.text) {
            std::cerr << program << ": " << file.error << '\n';
            return 2;
        }
        script = parseAutomationScript(*file.text, screen);
    }

    // The recording's file is opened first, so that a bad one is said before the window opens.
    std::shared_ptr<RecordingFile> recording;
    if (options.recordPath) {
        std::string error;
        recording = RecordingFile::open(*options.recordPath, error);
        if (!recording) {
            std::cerr << program << ": " << error << '\n';
            return 2;
        }
    }

    bool windowed = !options.headless;
    std::unique_ptr<SDLHost> window;
    if (windowed) {
        std::string reason;
        window = SDLHost::open(options, hostWindowTitle(program, options), reason);
        if (!window && recording) {
            std::cerr << program << ": " << reason << "; --record records the window, and there is none\n";
            return 2;
        }
        if (!window) {
            std::cerr << program << ": " << reason << "; starting the headless console\n";
            windowed = false;
        }
    }
    // Without a script, standard input says where the commands come from: a terminal gets the
    // console; a file is a script, read and checked whole first; anything else (a pipe, a socket)
    // is another program's, and each line runs as soon as it arrives.
    bool linesFromInput = false;
    if (!windowed && !script && !options.screenshotPath && !isatty(STDIN_FILENO)) {
        struct stat input { };
        if (fstat(STDIN_FILENO, &input) == 0 && S_ISREG(input.st_mode)) {
            std::string text;
            char buffer[16384];
            while (text.size() <= kMaximumScriptBytes && std::cin.read(buffer, sizeof buffer).gcount() > 0)
                text.append(buffer, static_cast<size_t>(std::cin.gcount()));
            if (text.size() > kMaximumScriptBytes) {
                std::cerr << program << ": the script on standard input is larger than " << kMaximumScriptBytes << " bytes\n";
                return 2;
            }
            script = parseAutomationScript(text, screen);
        } else {
            linesFromInput = true;
        }
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
        std::unique_ptr<SessionRecorder> recorder;
        if (recording) {
            // A full disk is said once; the session goes on.
            auto sink = [recording, program, reported = false](std::string_view line) mutable {
                bool written = recording->write(line);
                if (!written && !reported)
                    std::cerr << program << ": cannot write to the recording; it stops here\n";
                reported = reported || !written;
                return written;
            };
            recorder = std::make_unique<SessionRecorder>(hosted->application(), options.device, sink);
            recorder->writeHeader(program, replayOptions(options), std::time(nullptr));
        }
        status = window->run(hosted->application(), recorder.get());
    } else {
        HeadlessHost host(hosted->application(), options, std::cout, std::cerr);
        if (options.screenshotPath)
            status = host.runScreenshot(*options.screenshotPath);
        else if (script)
            status = host.runScript(*script);
        else if (linesFromInput)
            status = host.runLines(std::cin);
        else
            status = host.runConsole(std::cin);
    }
    // A save that failed while the app ran is tried once more before the values are gone.
    NSUserDefaults::saveStandardUserDefaultsBeforeExit();
    window.reset();
    hosted.reset();
    std::cout << std::flush;
    return status;
}
