#pragma once

#include <string>

// SDL falls back to drivers that draw into memory (offscreen, dummy) when no display answers, and
// a window there would run unseen. Only a driver that shows windows on a display counts.
bool isDisplayVideoDriver(const std::string& driver);

// Before video starts: unless the user chose drivers with SDL_VIDEODRIVER, try only those whose
// display the environment names (WAYLAND_DISPLAY, DISPLAY), so that no other is probed.
void chooseDisplayVideoDrivers();

// After a window opened: empty when it is on a display, else why not, for "...; starting the
// headless console".
std::string videoDriverProblem();
