#include "platform/host/UIApplicationMain.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/AutomationScriptFile.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostOptions.h"
#include "platform/host/HostWindow.h"
#include "platform/host/HostedApplication.h"
#include "platform/host/MessageText.h"
#include "platform/host/SDLHost.h"
#include "platform/host/SessionRecorder.h"
#include "platform/render/OutputFile.h"
#include "platform/system/PrivilegeSeparation.h"
#include "platform/system/System.h"

#include <clocale>
#include <ctime>
#include <iostream>
#include <iterator>
#include <langinfo.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kHeadlessStatusTime = "9:41";

// Every file the options name for writing is checked before anything runs; it is opened only
// when it is written.
std::string checkOutputOptions(const HostOptions& options)
{
    for (auto [option, path] : { std::pair { "--screenshot", &options.screenshotPath }, { "--record", &options.recordPath } }) {
        if (!*path)
            continue;
        if (auto problem = render::checkOutputPath(**path); !problem.empty())
            return std::string(option) + " " + quotedForMessage(**path) + ": " + problem;
    }
    return "";
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
    // File names, typed text and the window's title are in the user's character set; numbers in
    // files, scripts and messages keep one form whatever the language.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    // The app's text is UTF-8 whatever the language; in a locale of another character set (the
    // plain C locale above all) the window's title would reach the window manager garbled.
    if (std::string_view(nl_langinfo(CODESET)) != "UTF-8")
        std::setlocale(LC_CTYPE, "C.UTF-8");
    auto usageError = [&](const std::string& message) {
        std::cerr << program << ": " << message << "\nTry '" << program << " --help' for more information.\n";
        return 2;
    };
    auto parsed = parseHostOptions(arguments);
    if (!parsed.options)
        return usageError(parsed.error);
    HostOptions options = *parsed.options;
    if (options.help) {
        std::cout << hostUsage(program);
        return 0;
    }
    if (options.version) {
        std::cout << hostVersion(program);
        return 0;
    }
    if (auto problem = checkOutputOptions(options); !problem.empty())
        return usageError(problem);
    // A session recorded without real power commands replays without them too.
    auto dryRunRefusal = [&](const std::string& what) {
        std::cerr << program << ": " << what << " was recorded with --dry-run and is replayed only with --dry-run\n";
        return 2;
    };

    // A script is read and checked whole before the app starts, so a bad one runs nothing.
    std::optional<AutomationScript> script;
    CGSize screen { CGFloat(options.device.width), CGFloat(options.device.height) };
    if (options.scriptPath) {
        auto file = readScriptFile(*options.scriptPath);
        if (!file.text) {
            std::cerr << program << ": " << file.error << '\n';
            return 2;
        }
        if (isDryRunRecording(*file.text) && !options.dryRun)
            return dryRunRefusal("the script " + quotedForMessage(*options.scriptPath));
        script = parseAutomationScript(*file.text, screen);
    }

    bool windowed = !options.headless;
    std::unique_ptr<SDLHost> window;
    if (windowed) {
        std::string reason;
        window = SDLHost::open(options, hostWindowTitle(program, options), reason);
        if (!window && options.recordPath) {
            std::cerr << program << ": " << reason << "; --record records the window, and there is none\n";
            return 2;
        }
        if (!window) {
            // Only a person at a terminal is told; a program piping commands in knows what it runs.
            if (isatty(STDIN_FILENO))
                std::cerr << program << ": " << reason << "; starting the headless console\n";
            windowed = false;
        }
    }
    // The recording's file is made or emptied only now that there is a window to record.
    std::shared_ptr<RecordingFile> recording;
    if (options.recordPath) {
        std::string error;
        recording = RecordingFile::open(*options.recordPath, error);
        if (!recording) {
            std::cerr << program << ": " << error << '\n';
            return 2;
        }
    }
    // Without a script, standard input says where the commands come from: a terminal gets the
    // console; a file is a script, read and checked whole first; anything else (a pipe, a socket)
    // is another program's, and each line runs as soon as it arrives.
    bool linesFromInput = false;
    if (!windowed && !script && !options.screenshotPath && !isatty(STDIN_FILENO)) {
        struct stat input { };
        if (fstat(STDIN_FILENO, &input) == 0 && S_ISREG(input.st_mode)) {
            auto text = readScriptStream(std::cin);
            if (!text) {
                std::cerr << program << ": the script on standard input is larger than " << kMaximumScriptBytes << " bytes\n";
                return 2;
            }
            if (isDryRunRecording(*text) && !options.dryRun)
                return dryRunRefusal("the script on standard input");
            script = parseAutomationScript(*text, screen);
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
            recorder = std::make_unique<SessionRecorder>(hosted->application(), sink);
            recorder->writeHeader(program, options, std::time(nullptr));
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
