#include "platform/host/SDLHost.h"

#include "platform/host/HostWindow.h"
#include "platform/host/KeyboardNavigation.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/host/SDLWindowLoss.h"
#include "platform/host/SessionRecorder.h"
#include "platform/host/WindowGeometry.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <ctime>
#include <string_view>
#include <thread>
#include <utility>

namespace {

double secondsNow()
{
    return double(SDL_GetPerformanceCounter()) / double(SDL_GetPerformanceFrequency());
}

// The index of the render driver called NAME, or -1.
int renderDriverNamed(const char* name)
{
    for (int index = 0; index < SDL_GetNumRenderDrivers(); ++index) {
        SDL_RendererInfo info {};
        if (SDL_GetRenderDriverInfo(index, &info) == 0 && info.name && std::string_view(info.name) == name)
            return index;
    }
    return -1;
}

// How long the display shows a frame: its refresh interval, 60 Hz when it does not say.
double refreshInterval(SDL_Window* window)
{
    SDL_DisplayMode mode {};
    if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0)
        return 1.0 / mode.refresh_rate;
    return 1.0 / 60;
}

// Waits for the next event until a deadline, to a fraction of a millisecond: SDL waits in whole
// milliseconds, so the last part of the wait is a sleep of its own.
bool waitForEventUntil(SDL_Event& event, double deadline)
{
    double left = deadline - secondsNow();
    if (left >= 0.001 && SDL_WaitEventTimeout(&event, int(left * 1000)))
        return true;
    if (SDL_PollEvent(&event))
        return true;
    left = deadline - secondsNow();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
    return SDL_PollEvent(&event);
}

// The keys the app answers, from SDL's; none for any other.
std::optional<KeyPress> keyPressFor(int key, unsigned modifiers)
{
    KeyPress press;
    press.shift = modifiers & KMOD_SHIFT;
    press.alt = modifiers & KMOD_ALT;
    press.control = modifiers & (KMOD_CTRL | KMOD_GUI);
    switch (key) {
    case SDLK_TAB:
        press.key = Key::Tab;
        break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        press.key = Key::Return;
        break;
    case SDLK_SPACE:
        press.key = Key::Space;
        break;
    case SDLK_ESCAPE:
        press.key = Key::Escape;
        break;
    case SDLK_UP:
        press.key = Key::Up;
        break;
    case SDLK_DOWN:
        press.key = Key::Down;
        break;
    case SDLK_LEFT:
        press.key = Key::Left;
        break;
    case SDLK_RIGHT:
        press.key = Key::Right;
        break;
    case SDLK_PAGEUP:
        press.key = Key::PageUp;
        break;
    case SDLK_PAGEDOWN:
        press.key = Key::PageDown;
        break;
    case SDLK_HOME:
        press.key = Key::Home;
        break;
    case SDLK_END:
        press.key = Key::End;
        break;
    default:
        return std::nullopt;
    }
    return press;
}

} // namespace

std::unique_ptr<SDLHost> SDLHost::open(const HostOptions& options, const std::string& title, std::string& reason)
{
    SDL_Window* window = openHostWindow(options, title, reason);
    if (!window)
        return nullptr;
    auto host = std::unique_ptr<SDLHost>(new SDLHost(options));
    host->_window = window;
    // The renderer the window was made for, so that SDL keeps the window it has; any other
    // hardware renderer would make it again.
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) {
        int opengl = renderDriverNamed("opengl");
        if (opengl >= 0)
            host->_renderer = SDL_CreateRenderer(window, opengl, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    }
    if (!host->_renderer)
        host->_renderer = SDL_CreateRenderer(host->_window, -1, SDL_RENDERER_SOFTWARE);
    if (!host->_renderer) {
        reason = std::string("no renderer: ") + SDL_GetError();
        return nullptr;
    }
    host->setWindowIcon();
    watchForWindowLoss(host->_window);
    return host;
}

SDLHost::SDLHost(const HostOptions& options)
    : _options(options)
{
}

SDLHost::~SDLHost()
{
    // A window another program destroyed is not touched again: every request about it would
    // fail, and video's shut-down reports such failures on a connection of its own, fatally.
    // What SDL holds goes with the process.
    if (windowWasLost())
        return;
    if (_texture)
        SDL_DestroyTexture(_texture);
    if (_renderer)
        SDL_DestroyRenderer(_renderer);
    if (_window)
        SDL_DestroyWindow(_window);
    SDL_Quit();
    stopWatchingForWindowLoss();
}

void SDLHost::setWindowIcon()
{
    // A power symbol in the tint blue on a dark rounded square, drawn by the app's own painter at
    // the size window managers ask for most.
    constexpr double kSize = 64;
    render::Painter painter(kSize, kSize, 1);
    painter.beginFrame();
    painter.clear({ 0, 0, 0, 0 });
    painter.fillRoundedRect({ 2, 2, kSize - 4, kSize - 4 }, 14, { 0.09, 0.09, 0.11, 1 });
    render::RGBA tint = toRGBA(kSystemTintColor);
    constexpr double kPi = 3.14159265358979323846, kGap = 0.62;
    painter.strokeArc(32, 35, 16, -kPi / 2 + kGap, 3 * kPi / 2 - kGap, 5.5, tint);
    painter.line(32, 13, 32, 33, 5.5, tint);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(painter.data()), painter.pixelWidth(),
        painter.pixelHeight(), 32, painter.stride(), SDL_PIXELFORMAT_ARGB8888);
    if (!icon)
        return;
    SDL_SetWindowIcon(_window, icon);
    SDL_FreeSurface(icon);
}

void SDLHost::present(UIApplication& application)
{
    // The frame is drawn at the size it is shown, in the drawable's own pixels (more than the
    // window has units on a HiDPI display), so text and lines stay sharp at any window size.
    int outputWidth = 1, outputHeight = 1;
    SDL_GetRendererOutputSize(_renderer, &outputWidth, &outputHeight);
    auto& screen = UIScreen::mainScreen();
    CGSize device = screen.bounds().size;
    auto box = letterboxFor({ CGFloat(outputWidth), CGFloat(outputHeight) }, device);
    if (!_painter || _painter->scale() != box.scale)
        _painter = std::make_unique<render::Painter>(device.width, device.height, box.scale);
    render::Painter& painter = *_painter;
    application.renderFrame(painter);
    if (!_texture || painter.pixelWidth() != _textureWidth || painter.pixelHeight() != _textureHeight) {
        if (_texture)
            SDL_DestroyTexture(_texture);
        _textureWidth = painter.pixelWidth();
        _textureHeight = painter.pixelHeight();
        _texture = SDL_CreateTexture(_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, _textureWidth,
            _textureHeight);
    }
    SDL_UpdateTexture(_texture, nullptr, painter.data(), painter.stride());
    SDL_SetRenderDrawColor(_renderer, 0, 0, 0, 255);
    SDL_RenderClear(_renderer);
    // Pixel for pixel: the picture is as large as the painter made it, centred between the bars.
    SDL_Rect target { int(std::lround(box.picture.origin.x)), int(std::lround(box.picture.origin.y)), _textureWidth,
        _textureHeight };
    SDL_RenderCopy(_renderer, _texture, nullptr, &target);
    SDL_RenderPresent(_renderer);
}

void SDLHost::setWindowToFractionOfDevice(int divisor)
{
    int width = int(std::lround(_options.device.width * _options.device.scale / divisor));
    int height = int(std::lround(_options.device.height * _options.device.scale / divisor));
    SDL_SetWindowSize(_window, std::max(1, width), std::max(1, height));
    UIMarkNeedsDisplay();
}

bool SDLHost::handleKey(UIApplication& application, int key, unsigned modifiers, SessionRecorder* recorder)
{
    if (key == SDLK_q && (modifiers & KMOD_CTRL))
        return false;
    if ((key == SDLK_1 || key == SDLK_2 || key == SDLK_3) && (modifiers & KMOD_CTRL)) {
        setWindowToFractionOfDevice(key - SDLK_1 + 1);
        return true;
    }
    if (key == SDLK_c && (modifiers & KMOD_CTRL)) {
        if (application.copy()) {
            if (auto copied = UIPasteboard::generalPasteboard().string())
                SDL_SetClipboardText(copied->utf8().c_str());
        }
        return true;
    }
    auto press = keyPressFor(key, modifiers);
    if (press && pressKey(application, *press)) {
        if (recorder)
            recorder->keyPressed(keyPressName(*press));
        UIMarkNeedsDisplay();
    }
    return true;
}

int SDLHost::run(UIApplication& application, SessionRecorder* recorder)
{
    double clockOffset = CAAnimationEngine::shared().currentTime() - secondsNow();
    // Mouse positions come in window units; the picture is placed in the drawable's pixels, of
    // which a HiDPI display has more.
    auto toPoints = [&](int x, int y) {
        int windowWidth = 1, windowHeight = 1, pixelWidth = 1, pixelHeight = 1;
        SDL_GetWindowSize(_window, &windowWidth, &windowHeight);
        SDL_GetRendererOutputSize(_renderer, &pixelWidth, &pixelHeight);
        double across = double(pixelWidth) / std::max(windowWidth, 1), down = double(pixelHeight) / std::max(windowHeight, 1);
        return windowPointToDevice({ CGFloat(x * across), CGFloat(y * down) }, { CGFloat(pixelWidth), CGFloat(pixelHeight) },
            UIScreen::mainScreen().bounds().size);
    };
    auto touch = [&](UITouchPhase phase, CGPoint point) {
        if (recorder) {
            if (phase == UITouchPhase::Began)
                recorder->touchBegan(point, secondsNow());
            else if (phase == UITouchPhase::Moved)
                recorder->touchMoved(point);
            else
                recorder->touchEnded(point, secondsNow());
        }
        application.sendTouch(phase, point);
    };
    bool pressed = false;
    bool running = true;
    UIMarkNeedsDisplay();
    int lastMinute = -1;
    // While something moves, frames go out on the display's deadlines: the wait before a frame is
    // what is left of the refresh interval after the last one's work, not an interval on top of it.
    // A renderer that waits for the vertical blank in its present paces the frames itself, which
    // shows as a present that returned close to the next deadline (a virtual display's renderer
    // may claim to wait and not do it).
    const double interval = refreshInterval(_window);
    SDL_RendererInfo info {};
    const bool presentWaitsForVSync
        = SDL_GetRendererInfo(_renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
    double nextFrame = secondsNow();
    bool presented = false;
    auto drawFrame = [&] {
        presented = true;
        double start = secondsNow();
        // On time, the next deadline is an interval after this one; after an idle spell, a late
        // frame or an early one for input, an interval after now.
        nextFrame = start >= nextFrame && start - nextFrame < interval ? nextFrame + interval : start + interval;
        present(application);
    };
    while (running) {
        SDL_Event event;
        // Wait for events until the next frame's deadline while something moves, and a few times a
        // second for the clock when nothing does; an event ends the wait at once.
        bool pacedByPresent = presentWaitsForVSync && presented && secondsNow() >= nextFrame - interval / 2;
        bool haveEvent = !runLoopIsBusy() ? SDL_WaitEventTimeout(&event, 250)
            : pacedByPresent              ? SDL_PollEvent(&event)
                                          : waitForEventUntil(event, nextFrame);
        presented = false;
        while (haveEvent) {
            noteWindowEvent(event);
            switch (event.type) {
            case SDL_QUIT:
                running = false;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    pressed = true;
                    touch(UITouchPhase::Began, toPoints(event.button.x, event.button.y));
                }
                break;
            case SDL_MOUSEMOTION:
                if (pressed)
                    touch(UITouchPhase::Moved, toPoints(event.motion.x, event.motion.y));
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && pressed) {
                    pressed = false;
                    touch(UITouchPhase::Ended, toPoints(event.button.x, event.button.y));
                }
                break;
            case SDL_MOUSEWHEEL: {
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                CGFloat distance = CGFloat(-event.wheel.y * 40);
                for (UIView* view = application.hitTest(toPoints(x, y)); view; view = view->superview()) {
                    if (view->scrollBy(distance)) {
                        if (recorder)
                            recorder->wheelScrolled(*view, distance);
                        break;
                    }
                }
                break;
            }
            case SDL_KEYDOWN:
                running = handleKey(application, event.key.keysym.sym, event.key.keysym.mod, recorder) && running;
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    UIMarkNeedsDisplay();
                break;
            default:
                break;
            }
            haveEvent = running && SDL_PollEvent(&event);
        }
        // Destroyed by another program: the session ends as if it had been closed.
        if (windowWasLost())
            break;
        // The status-bar clock changes once a minute.
        std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        if (local.tm_min != lastMinute) {
            lastMinute = local.tm_min;
            UIMarkNeedsDisplay();
        }
        turnRunLoop([clockOffset](CAAnimationEngine& engine) { engine.advanceTo(secondsNow() + clockOffset); }, drawFrame);
    }
    return 0;
}
