#pragma once

#include "platform/host/HostOptions.h"

#include <string>

struct SDL_Window;

// The window of a windowed run: video initialised, the window sized for the device (or at the scale
// --scale forces), titled, resizable, made for OpenGL where it can be, and shown. Returns null and says why in `reason` (no display, say); video is then
// shut down again, as if it had never been started.
SDL_Window* openHostWindow(const HostOptions& options, const std::string& title, std::string& reason);

// The window's title: the program and the device it shows.
std::string hostWindowTitle(const std::string& program, const HostOptions& options);
