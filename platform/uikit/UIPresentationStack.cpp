#include "platform/uikit/UIPresentationStack.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIViewController.h"

#include <algorithm>
#include <cmath>

UIPresentationStack::Presentation* UIPresentationStack::find(const UIViewController* controller)
{
    auto it = std::find_if(_presentations.begin(), _presentations.end(),
        [controller](auto& p) { return p.controller.get() == controller; });
    return it == _presentations.end() ? nullptr : &*it;
}

void UIPresentationStack::present(std::shared_ptr<UIViewController> controller, UIViewController* presenter,
    bool animated, std::function<void()> completion)
{
    if (!controller)
        return;
    // One screen moves at a time, and a controller presents one screen at most; a refused
    // controller is let go and its completion never runs.
    if (isTransitioning()) {
        NSLog("Warning: Attempt to present " + NSLogDescription(controller.get()) + " on " + NSLogDescription(presenter)
            + " while a presentation is in progress!");
        return;
    }
    if (auto* presented = controllerPresentedBy(presenter)) {
        NSLog("Warning: Attempt to present " + NSLogDescription(controller.get()) + " on " + NSLogDescription(presenter)
            + " which is already presenting " + NSLogDescription(presented));
        return;
    }
    if (find(controller.get())) {
        NSLog("Warning: Attempt to present " + NSLogDescription(controller.get()) + ", which is already presented");
        return;
    }
    // Building the view is part of presenting it.
    controller->view();
    Presentation presentation;
    presentation.controller = controller;
    if (presenter)
        presentation.presenter = presenter->weakSelf();
    presentation.progress = animated ? 0 : 1;
    _presentations.push_back(std::move(presentation));
    UIMarkNeedsDisplay();
    auto* target = controller.get();
    auto setProgress = [this, target](double t) {
        if (auto* p = find(target))
            p->progress = t;
        UIMarkNeedsDisplay();
    };
    // The completion runs on the main queue once the screen is in place.
    auto finish = [completion = std::move(completion)]() mutable {
        if (completion)
            dispatchOnMainQueue(std::move(completion));
    };
    // Even without animation the completion comes after the call returns, as the platform's does.
    find(target)->animation
        = CAAnimationEngine::shared().add(animated ? kDuration : 0, setProgress, finish, CAAnimationCurve::EaseOut);
}

void UIPresentationStack::dismiss(UIViewController* controller, bool animated, std::function<void()> completion)
{
    if (isTransitioning()) {
        NSLog("Warning: Attempt to dismiss from view controller " + NSLogDescription(controller)
            + " while a presentation or dismiss is in progress!");
        return;
    }
    // A presenter asked to dismiss dismisses what it presents.
    auto it = std::find_if(_presentations.begin(), _presentations.end(),
        [controller](auto& p) { return p.controller.get() == controller && !p.dismissing; });
    if (it == _presentations.end()) {
        it = std::find_if(_presentations.begin(), _presentations.end(),
            [controller](auto& p) { return !p.dismissing && p.presenter.lock().get() == controller; });
    }
    if (it == _presentations.end())
        return;
    it->dismissing = true;
    double from = it->progress;
    auto* target = it->controller.get();
    auto step = [this, target, from](double t) {
        if (auto* p = find(target))
            p->progress = from * (1 - t);
        UIMarkNeedsDisplay();
    };
    // The presentation lets go of the controller when the dismissal has finished; the completion
    // runs after that, on the main queue, and holds what it captured until it has run.
    auto finish = [this, target, completion = std::move(completion)]() mutable {
        // Erasing ends the presentation's handle of this very animation, which has already run out.
        std::erase_if(_presentations, [target](auto& p) { return p.controller.get() == target; });
        UIMarkNeedsDisplay();
        if (completion)
            dispatchOnMainQueue(std::move(completion));
    };
    it->animation = CAAnimationEngine::shared().add(animated ? kDuration : 0, step, finish, CAAnimationCurve::EaseOut);
}

bool UIPresentationStack::isTransitioning() const
{
    return std::any_of(_presentations.begin(), _presentations.end(), [](auto& p) { return p.animation.isRunning(); });
}

UIViewController* UIPresentationStack::controllerPresentedBy(const UIViewController* presenter) const
{
    if (!presenter)
        return nullptr;
    for (auto& p : _presentations) {
        if (p.presenter.lock().get() == presenter)
            return p.controller.get();
    }
    return nullptr;
}

UIViewController* UIPresentationStack::presenterOf(const UIViewController* controller) const
{
    for (auto& p : _presentations) {
        if (p.controller.get() == controller)
            return static_cast<UIViewController*>(p.presenter.lock().get());
    }
    return nullptr;
}

UIView* UIPresentationStack::topView() const
{
    for (auto it = _presentations.rbegin(); it != _presentations.rend(); ++it) {
        if (!it->dismissing) {
            if (auto view = it->controller->viewIfLoaded())
                return view.get();
        }
    }
    return nullptr;
}

std::optional<UIView*> UIPresentationStack::hitTest(CGPoint screenPoint) const
{
    // A screen on its way in or out takes no touches, nor does what lies beneath it.
    for (auto it = _presentations.rbegin(); it != _presentations.rend(); ++it) {
        if (it->dismissing || it->progress < 1)
            return nullptr;
        auto* view = it->controller->view();
        if (!view || view->isHidden())
            continue;
        CGPoint local { screenPoint.x - view->frame().minX(), screenPoint.y - view->frame().minY() };
        // A presented screen covers the whole screen: what lies beneath gets nothing.
        return view->hitTest(local);
    }
    return std::nullopt;
}

void UIPresentationStack::layoutIfNeeded()
{
    for (auto& p : _presentations) {
        if (auto view = p.controller->viewIfLoaded())
            view->layoutIfNeeded();
    }
}

void UIPresentationStack::draw(render::Painter& painter, CGRect screen) const
{
    for (auto& p : _presentations) {
        auto view = p.controller->viewIfLoaded();
        if (!view || p.progress <= 0)
            continue;
        painter.save();
        painter.translate(0, std::round((1 - p.progress) * screen.size.height * 4) / 4);
        view->drawHierarchy(painter);
        painter.restore();
    }
}
