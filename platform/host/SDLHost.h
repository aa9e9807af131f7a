#pragma once

#include "platform/host/HostOptions.h"

#include <memory>
#include <string>

class SessionRecorder;
class UIApplication;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
namespace render {
class Painter;
}

// The interactive window. The mouse is the finger: press, drag and release make touches with
// the same tracking as the headless taps, and the wheel scrolls what lies under the pointer. The
// keyboard does what `key` does in a script (KeyboardNavigation.h): Tab moves a focus ring, Space
// and Return act, Esc answers an alert or goes back, the scrolling keys scroll; Ctrl+C copies the
// selected text to the clipboard; Ctrl+Q quits. It redraws only when something changed and paces
// animations to the display; the clock is real.
//
// The window opens at the largest scale at which the device fits the display (or at the one
// --scale forces) and can be resized: the screen is drawn afresh at the window's own pixel size,
// with its proportions kept and bars beside it. Ctrl+1, Ctrl+2 and Ctrl+3 size the window to all,
// a half and a third of the device's pixels.
class SDLHost {
public:
    // Opens the window, or explains in `reason` why there is none (no display, say).
    static std::unique_ptr<SDLHost> open(const HostOptions& options, const std::string& title, std::string& reason);
    ~SDLHost();
    SDLHost(const SDLHost&) = delete;
    SDLHost& operator=(const SDLHost&) = delete;

    // Runs until the window closes; RECORDER, when given, hears of every touch, wheel scroll and
    // key that did something, as it happens.
    int run(UIApplication& application, SessionRecorder* recorder = nullptr);

private:
    explicit SDLHost(const HostOptions& options);
    void setWindowIcon();
    void present(UIApplication& application);
    bool handleKey(UIApplication& application, int key, unsigned modifiers, SessionRecorder* recorder);
    void setWindowToFractionOfDevice(int divisor);

    HostOptions _options;
    SDL_Window* _window = nullptr;
    SDL_Renderer* _renderer = nullptr;
    SDL_Texture* _texture = nullptr;
    // Kept from frame to frame so that each frame draws into memory that is already mapped.
    std::unique_ptr<render::Painter> _painter;
    int _textureWidth = 0;
    int _textureHeight = 0;
};
