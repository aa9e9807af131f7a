#include "platform/host/HostWindow.h"

#include "platform/host/VideoDriver.h"
#include "platform/host/WindowGeometry.h"

#include <SDL.h>

#include <algorithm>

namespace {

// The part of the display the window may take: all of it but panels and docks. A display that
// cannot say is taken to be large; the window manager then has the last word.
CGSize usableDisplayArea()
{
    SDL_Rect usable {};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0)
        return { CGFloat(usable.w), CGFloat(usable.h) };
    SDL_DisplayMode mode {};
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0)
        return { CGFloat(mode.w), CGFloat(mode.h) };
    return { 4096, 4096 };
}

} // namespace

SDL_Window* openHostWindow(const HostOptions& options, const std::string& title, std::string& reason)
{
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) {
        reason = "no display";
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    chooseDisplayVideoDrivers();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        reason = std::string("no window: ") + SDL_GetError();
        return nullptr;
    }
    // A driver that draws into memory shows nothing: that is no display either, and no window is
    // made on it.
    reason = videoDriverProblem();
    if (!reason.empty()) {
        SDL_Quit();
        return nullptr;
    }
    CGSize device { CGFloat(options.device.width), CGFloat(options.device.height) };
    auto opening = windowOpeningFor(device, options.device.scale, usableDisplayArea(), options.forcedScale);
    // Made for the OpenGL renderer the host asks for first: a window without the flag would be
    // destroyed and made again (and mapped a second time) when that renderer is created. Where
    // OpenGL cannot be had, the window is made without it for the software renderer.
    constexpr Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        opening.width, opening.height, flags | SDL_WINDOW_OPENGL);
    if (!window) {
        window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
            opening.width, opening.height, flags);
    }
    if (!window) {
        reason = std::string("no window: ") + SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    // Smaller than a quarter of the smallest scale, nothing on the screen could be told apart.
    SDL_SetWindowMinimumSize(window, std::max(1, int(device.width / 4)), std::max(1, int(device.height / 4)));
    return window;
}

std::string hostWindowTitle(const std::string& program, const HostOptions& options)
{
    return program + " \xE2\x80\x94 " + options.device.displayName;
}
