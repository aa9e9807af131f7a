#include "platform/host/VideoDriver.h"

#include "platform/host/MessageText.h"

#include <SDL.h>

bool isDisplayVideoDriver(const std::string& driver)
{
    return driver == "x11" || driver == "wayland";
}

void chooseDisplayVideoDrivers()
{
    if (SDL_getenv("SDL_VIDEODRIVER"))
        return;
    // X11 first where both are named: a Wayland desktop that names DISPLAY runs X clients too,
    // and that is the driver the window has been used with longest.
    std::string drivers;
    if (SDL_getenv("DISPLAY"))
        drivers = "x11";
    if (SDL_getenv("WAYLAND_DISPLAY"))
        drivers += drivers.empty() ? "wayland" : ",wayland";
    if (!drivers.empty())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

std::string videoDriverProblem()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && isDisplayVideoDriver(driver))
        return "";
    return std::string("no display (the video driver ") + (driver ? quotedForMessage(driver) : "none")
        + " shows no window)";
}
