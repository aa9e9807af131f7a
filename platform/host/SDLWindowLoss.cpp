#include "platform/host/SDLWindowLoss.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <dlfcn.h>

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
using ErrorHandler = int (*)(Display*, XErrorEvent*);
using SetErrorHandler = ErrorHandler (*)(ErrorHandler);

Window sWatched = 0;
bool sLost = false;
ErrorHandler sPrevious = nullptr;
SetErrorHandler sSetErrorHandler = nullptr;

int errorHandler(Display* display, XErrorEvent* error)
{
    // Requests about the window that raced its destruction fail; that is the window's end, not
    // the program's.
    if (sWatched && error->resourceid == sWatched) {
        sLost = true;
        return 0;
    }
    return sPrevious ? sPrevious(display, error) : 0;
}
#endif

} // namespace

void watchForWindowLoss(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // SDL has loaded Xlib for itself; only a handle on what is already there is taken.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!xlib)
        return;
    sSetErrorHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler"));
    dlclose(xlib);
    if (!sSetErrorHandler)
        return;
    sWatched = info.info.x11.window;
    sLost = false;
    sPrevious = sSetErrorHandler(errorHandler);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
#endif
}

void noteWindowEvent(const SDL_Event& event)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    if (sWatched && event.type == SDL_SYSWMEVENT && event.syswm.msg && event.syswm.msg->subsystem == SDL_SYSWM_X11) {
        const XEvent& x = event.syswm.msg->msg.x11.event;
        if (x.type == DestroyNotify && x.xdestroywindow.window == sWatched)
            sLost = true;
    }
#endif
}

bool windowWasLost()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    return sWatched && sLost;
#else
    return false;
#endif
}

void stopWatchingForWindowLoss()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    // The handler stays in place (Xlib may already be unloaded with video); it only passes every
    // error on from now on.
    sWatched = 0;
    sLost = false;
#endif
}
