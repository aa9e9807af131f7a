#include "platform/host/launcher/ModuleEntry.h"

#include "platform/host/SDLHost.h"

#include <type_traits>

// The app's own main (app/main.cpp), which the build renames for the module.
int zentrovaApplicationMain(int argc, char** argv);

extern "C" __attribute__((visibility("default"))) int zentrovaModuleMain(int argc, char** argv,
    SDL_Window* openedWindow)
{
    static_assert(std::is_same_v<ModuleEntry, decltype(&zentrovaModuleMain)>);
    if (openedWindow)
        SDLHost::adoptOpenedWindow(openedWindow);
    return zentrovaApplicationMain(argc, argv);
}
