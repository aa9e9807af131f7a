#pragma once

struct SDL_Window;

// A program is a small launcher and the app as a module beside it. The launcher links SDL alone,
// so that a windowed run shows its window before the dynamic loader maps the drawing libraries
// the app needs; it then loads the module and calls its entry with the program's arguments and
// the window it opened, or null when it opened none (help, headless runs, scripts, screenshots,
// recordings, no display). The entry then does everything the program does, as if it had been
// started itself, and its result is the program's exit status.
using ModuleEntry = int (*)(int argc, char** argv, SDL_Window* openedWindow);
inline constexpr const char* kModuleEntryName = "zentrovaModuleMain";
