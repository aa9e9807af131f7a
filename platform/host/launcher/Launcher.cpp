// The program itself: opens the window of a windowed run, then loads the app (ZENTROVA_MODULE_NAME,
// beside this program) and hands over. See ModuleEntry.h.
#include "platform/host/HostOptions.h"
#include "platform/host/HostWindow.h"
#include "platform/host/launcher/ModuleEntry.h"
#include "platform/system/Privilege.h"

#include <dlfcn.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The folder this program was started from, whatever link or relative path started it.
std::string programFolder()
{
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || size_t(length) >= path.size())
        return {};
    path.resize(size_t(length));
    return path.substr(0, path.rfind('/'));
}

// The window of a plain windowed run, shown now. Every other run (help, a bad option, headless,
// a script, a screenshot, a recording, which must be said to be unwritable before any window opens)
// gets none, and neither does a run whose window cannot open: the app then says what it always says.
SDL_Window* openWindowOfPlainRun(const std::vector<std::string>& arguments)
{
    auto parsed = parseHostOptions(arguments);
    if (!parsed.options)
        return nullptr;
    const HostOptions& options = *parsed.options;
    if (options.help || options.headless || options.scriptPath || options.screenshotPath || options.recordPath)
        return nullptr;
    std::string reason;
    return openHostWindow(options, hostWindowTitle(hostProgramName(arguments), options), reason);
}

} // namespace

int main(int argc, char** argv)
{
    // As the app does first: nothing is opened, no display and no library, with raised privilege.
    if (!actAsRealUser()) {
        std::cerr << "cannot give up the raised privilege this program was started with\n";
        return 1;
    }
    std::vector<std::string> arguments(argv, argv + argc);
    std::string program = hostProgramName(arguments);
    std::string folder = programFolder();
    if (folder.empty()) {
        std::cerr << program << ": cannot find the folder of this program\n";
        return 1;
    }
    SDL_Window* window = openWindowOfPlainRun(arguments);
    void* module = dlopen((folder + "/" + ZENTROVA_MODULE_NAME).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::cerr << program << ": " << dlerror() << '\n';
        return 1;
    }
    auto entry = reinterpret_cast<ModuleEntry>(dlsym(module, kModuleEntryName));
    if (!entry) {
        std::cerr << program << ": " << dlerror() << '\n';
        return 1;
    }
    return entry(argc, argv, window);
}
