#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/quartzcore/CAAnimationHandle.h"
#include "platform/uikit/CGGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class UIView;
class UIViewController;
namespace render {
class Painter;
}

// The screens presented over the key window, lowest first. A presentation holds its controller;
// the presenter is only named, never held, and its view stays in the window beneath. Screens
// slide up from the bottom edge as they are presented and down again as they are dismissed, one
// at a time: while one moves, presenting or dismissing another is refused with a warning, as is
// presenting from a controller that already presents one. Completions run once, on the main
// queue, after the slide has finished.
class UIPresentationStack {
public:
    static constexpr double kDuration = 0.4;

    struct Presentation {
        std::shared_ptr<UIViewController> controller;
        std::weak_ptr<NSObject> presenter;
        // 0 off screen, 1 fully on screen.
        double progress = 0;
        bool dismissing = false;
        // The slide in or out; the presentation's own callbacks stop with it.
        CAAnimationHandle animation;
    };

    UIPresentationStack() = default;
    UIPresentationStack(const UIPresentationStack&) = delete;
    UIPresentationStack& operator=(const UIPresentationStack&) = delete;

    void present(std::shared_ptr<UIViewController> controller, UIViewController* presenter, bool animated,
        std::function<void()> completion);
    void dismiss(UIViewController* controller, bool animated, std::function<void()> completion);

    const std::vector<Presentation>& presentations() const { return _presentations; }
    // Whether a screen is sliding in or out.
    bool isTransitioning() const;
    UIViewController* controllerPresentedBy(const UIViewController* presenter) const;
    UIViewController* presenterOf(const UIViewController* controller) const;
    // The view of the topmost screen that is not on its way out, if any.
    UIView* topView() const;

    // Where a touch at the screen point goes when the presented screens decide it: a view, or
    // null when they swallow it (a screen still moving, or a presented screen that covers the
    // point but has nothing there to take it). None when no presented screen is in the way.
    std::optional<UIView*> hitTest(CGPoint screenPoint) const;

    void layoutIfNeeded();
    // Draws every presented screen at its place in its slide.
    void draw(render::Painter& painter, CGRect screen) const;

private:
    Presentation* find(const UIViewController* controller);

    std::vector<Presentation> _presentations;
};
