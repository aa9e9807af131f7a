#pragma once

#include "platform/host/HostOptions.h"

#include <memory>
#include <string>

class UIApplication;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
namespace render {
class Painter;
}

// The interactive window. The mouse is the finger: press, drag and release make touches with
// the same tracking as the headless taps, and the wheel scrolls what lies under the pointer. Esc
// answers an alert with its cancel button and Return with its other button; Ctrl+C copies the
// selected text to the clipboard; Ctrl+Q quits. It redraws only when something changed and paces
// animations to the display; the clock is real.
class SDLHost {
public:
    // Opens the window, or explains in `reason` why there is none (no display, say).
    static std::unique_ptr<SDLHost> open(const HostOptions& options, const std::string& title, std::string& reason);
    ~SDLHost();
    SDLHost(const SDLHost&) = delete;
    SDLHost& operator=(const SDLHost&) = delete;

    int run(UIApplication& application);

private:
    explicit SDLHost(const HostOptions& options);
    void present(UIApplication& application);
    bool handleKey(UIApplication& application, int key, unsigned modifiers);

    HostOptions _options;
    SDL_Window* _window = nullptr;
    SDL_Renderer* _renderer = nullptr;
    SDL_Texture* _texture = nullptr;
    // Kept from frame to frame so that each frame draws into memory that is already mapped.
    std::unique_ptr<render::Painter> _painter;
    int _pixelWidth = 0;
    int _pixelHeight = 0;
};
