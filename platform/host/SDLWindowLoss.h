#pragma once

union SDL_Event;
struct SDL_Window;

// Another program may destroy the window under the host (xdotool windowclose, a window manager
// that kills it). SDL does not see that as a close, and Xlib's default answer to the errors that
// follow is to end the process with status 1. While watched, errors about the window are taken as
// its end instead, and its destruction arrives as an event the host can end on, cleanly.
void watchForWindowLoss(SDL_Window* window);
// Looks at each event for the watched window's destruction.
void noteWindowEvent(const SDL_Event& event);
// Whether an event or an error said that the watched window is gone.
bool windowWasLost();
// After video has shut down: errors go where they went before.
void stopWatchingForWindowLoss();
