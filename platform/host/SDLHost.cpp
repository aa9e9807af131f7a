#include "platform/host/SDLHost.h"

#include "platform/host/RunLoopTurn.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <SDL.h>

#include <cmath>
#include <ctime>

namespace {

double secondsNow()
{
    return double(SDL_GetPerformanceCounter()) / double(SDL_GetPerformanceFrequency());
}

} // namespace

std::unique_ptr<SDLHost> SDLHost::open(const HostOptions& options, const std::string& title, std::string& reason)
{
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) {
        reason = "no display";
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        reason = std::string("no window: ") + SDL_GetError();
        return nullptr;
    }
    auto host = std::unique_ptr<SDLHost>(new SDLHost(options));
    int width = int(std::lround(options.device.width)), height = int(std::lround(options.device.height));
    // The window is as many screen pixels as the device has: points times its scale.
    int scale = int(std::lround(options.device.scale));
    host->_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
        height * scale, SDL_WINDOW_ALLOW_HIGHDPI);
    if (!host->_window) {
        reason = std::string("no window: ") + SDL_GetError();
        return nullptr;
    }
    host->_renderer = SDL_CreateRenderer(host->_window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!host->_renderer)
        host->_renderer = SDL_CreateRenderer(host->_window, -1, SDL_RENDERER_SOFTWARE);
    if (!host->_renderer) {
        reason = std::string("no renderer: ") + SDL_GetError();
        return nullptr;
    }
    // On a HiDPI display the drawable has more pixels than the window has units.
    SDL_GetRendererOutputSize(host->_renderer, &host->_pixelWidth, &host->_pixelHeight);
    return host;
}

SDLHost::SDLHost(const HostOptions& options)
    : _options(options)
{
}

SDLHost::~SDLHost()
{
    if (_texture)
        SDL_DestroyTexture(_texture);
    if (_renderer)
        SDL_DestroyRenderer(_renderer);
    if (_window)
        SDL_DestroyWindow(_window);
    SDL_Quit();
}

void SDLHost::present(UIApplication& application)
{
    auto& screen = UIScreen::mainScreen();
    double pixelScale = double(_pixelWidth) / screen.bounds().size.width;
    if (!_painter || _painter->scale() != pixelScale)
        _painter = std::make_unique<render::Painter>(screen.bounds().size.width, screen.bounds().size.height, pixelScale);
    render::Painter& painter = *_painter;
    application.renderFrame(painter);
    if (!_texture || painter.pixelWidth() != _pixelWidth || painter.pixelHeight() != _pixelHeight) {
        if (_texture)
            SDL_DestroyTexture(_texture);
        _pixelWidth = painter.pixelWidth();
        _pixelHeight = painter.pixelHeight();
        _texture = SDL_CreateTexture(_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, _pixelWidth,
            _pixelHeight);
    }
    SDL_UpdateTexture(_texture, nullptr, painter.data(), painter.stride());
    SDL_RenderClear(_renderer);
    SDL_RenderCopy(_renderer, _texture, nullptr, nullptr);
    SDL_RenderPresent(_renderer);
}

bool SDLHost::handleKey(UIApplication& application, int key, unsigned modifiers)
{
    if (key == SDLK_q && (modifiers & KMOD_CTRL))
        return false;
    if (key == SDLK_c && (modifiers & KMOD_CTRL)) {
        if (application.copy()) {
            if (auto copied = UIPasteboard::generalPasteboard().string())
                SDL_SetClipboardText(copied->utf8().c_str());
        }
        return true;
    }
    auto& alerts = application.shownAlerts();
    if (alerts.empty())
        return true;
    auto alert = alerts.back();
    if (key == SDLK_ESCAPE && alert->cancelButtonIndex() >= 0)
        alert->dismissWithClickedButtonIndex(alert->cancelButtonIndex(), true);
    else if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        NSInteger other = alert->cancelButtonIndex() == 0 ? 1 : 0;
        if (other < alert->numberOfButtons())
            alert->dismissWithClickedButtonIndex(other, true);
    }
    return true;
}

int SDLHost::run(UIApplication& application)
{
    double clockOffset = CAAnimationEngine::shared().currentTime() - secondsNow();
    auto toPoints = [&](int x, int y) {
        int windowWidth = 1, windowHeight = 1;
        SDL_GetWindowSize(_window, &windowWidth, &windowHeight);
        auto& screen = UIScreen::mainScreen();
        return CGPoint { CGFloat(x * screen.bounds().size.width / windowWidth),
            CGFloat(y * screen.bounds().size.height / windowHeight) };
    };
    bool pressed = false;
    bool running = true;
    UIMarkNeedsDisplay();
    int lastMinute = -1;
    while (running) {
        SDL_Event event;
        // Wait for events a frame at a time while something moves, and a few times a second for
        // the clock when nothing does; an event ends the wait at once.
        bool haveEvent = SDL_WaitEventTimeout(&event, runLoopIsBusy() ? 16 : 250);
        while (haveEvent) {
            switch (event.type) {
            case SDL_QUIT:
                running = false;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    pressed = true;
                    application.sendTouch(UITouchPhase::Began, toPoints(event.button.x, event.button.y));
                }
                break;
            case SDL_MOUSEMOTION:
                if (pressed)
                    application.sendTouch(UITouchPhase::Moved, toPoints(event.motion.x, event.motion.y));
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && pressed) {
                    pressed = false;
                    application.sendTouch(UITouchPhase::Ended, toPoints(event.button.x, event.button.y));
                }
                break;
            case SDL_MOUSEWHEEL: {
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                for (UIView* view = application.hitTest(toPoints(x, y)); view; view = view->superview()) {
                    if (view->scrollBy(CGFloat(-event.wheel.y * 40)))
                        break;
                }
                break;
            }
            case SDL_KEYDOWN:
                running = handleKey(application, event.key.keysym.sym, event.key.keysym.mod) && running;
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
        // The status-bar clock changes once a minute.
        std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        if (local.tm_min != lastMinute) {
            lastMinute = local.tm_min;
            UIMarkNeedsDisplay();
        }
        turnRunLoop([clockOffset](CAAnimationEngine& engine) { engine.advanceTo(secondsNow() + clockOffset); },
            [&] { present(application); });
    }
    return 0;
}
