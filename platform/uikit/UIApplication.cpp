#include "platform/uikit/UIApplication.h"

#include "platform/render/Painter.h"
#include "platform/system/System.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIStatusBar.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

UIApplication* gShared = nullptr;
std::shared_ptr<UIApplication> gFallback;

} // namespace

UIApplication::~UIApplication()
{
    *_alive = false;
    if (_statusBarAnimation)
        CAAnimationEngine::shared().cancel(_statusBarAnimation);
    if (gShared == this)
        gShared = nullptr;
}

UIApplication* UIApplication::sharedApplication()
{
    if (!gShared) {
        gFallback = create();
        gShared = gFallback.get();
    }
    return gShared;
}

void UIApplication::setSharedApplication(UIApplication* application)
{
    gShared = application;
    // The stand-in made on first use goes away once a real application takes over.
    if (gFallback && gFallback.get() != application)
        gFallback.reset();
}

void UIApplication::adoptDelegate(std::shared_ptr<NSObject> delegateObject)
{
    _ownedDelegate = std::move(delegateObject);
    _delegate = dynamic_cast<UIApplicationDelegate*>(_ownedDelegate.get());
}

void UIApplication::setStatusBarStyle(UIStatusBarStyle style, bool animated)
{
    if (_statusBarAnimation)
        CAAnimationEngine::shared().cancel(_statusBarAnimation);
    _statusBarAnimation = 0;
    if (style == _statusBarStyle && _statusBarTransition >= 1) {
        UIMarkNeedsDisplay();
        return;
    }
    _previousStatusBarStyle = _statusBarStyle;
    _statusBarStyle = style;
    UIMarkNeedsDisplay();
    if (!animated) {
        _statusBarTransition = 1;
        return;
    }
    auto alive = _alive;
    _statusBarAnimation = CAAnimationEngine::shared().add(
        kStatusBarFadeDuration,
        [this, alive](double t) {
            if (!*alive)
                return;
            _statusBarTransition = t;
            UIMarkNeedsDisplay();
        },
        [this, alive] {
            if (*alive)
                _statusBarAnimation = 0;
        },
        CAAnimationCurve::Linear);
}

std::string UIApplication::statusBarTimeText() const
{
    if (!_statusBarTimeText.empty())
        return _statusBarTimeText;
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

bool UIApplication::openURL(const NSURL& url)
{
    return System::current().openURL(url.absoluteString().utf8()) == 0;
}

UIWindow* UIApplication::keyWindow() const
{
    return static_cast<UIWindow*>(_keyWindow.lock().get());
}

void UIApplication::setKeyWindow(UIWindow* window)
{
    _keyWindow = window ? window->weakSelf<UIView>() : std::weak_ptr<UIView>();
    UIMarkNeedsDisplay();
}

void UIApplication::showAlert(std::shared_ptr<UIAlertView> alert)
{
    if (std::find(_alerts.begin(), _alerts.end(), alert) != _alerts.end())
        return;
    _alerts.push_back(std::move(alert));
    UIMarkNeedsDisplay();
}

void UIApplication::removeAlert(UIAlertView* alert)
{
    auto it = std::find_if(_alerts.begin(), _alerts.end(), [alert](auto& shown) { return shown.get() == alert; });
    if (it == _alerts.end())
        return;
    _leavingAlerts.push_back(*it);
    _alerts.erase(it);
    UIMarkNeedsDisplay();
}

void UIApplication::presentController(std::shared_ptr<UIViewController> controller, UIViewController* presenter,
    bool animated, std::function<void()> completion)
{
    if (!controller)
        return;
    // Building the view is part of presenting it.
    controller->view();
    Presentation presentation;
    presentation.controller = controller;
    if (presenter)
        presentation.presenter = presenter->weakSelf();
    presentation.progress = animated ? 0 : 1;
    _presentations.push_back(std::move(presentation));
    UIMarkNeedsDisplay();
    auto alive = _alive;
    auto* target = controller.get();
    auto setProgress = [this, alive, target](double t) {
        if (!*alive)
            return;
        for (auto& p : _presentations) {
            if (p.controller.get() == target && !p.dismissing)
                p.progress = t;
        }
        UIMarkNeedsDisplay();
    };
    auto finish = [completion = std::move(completion)] {
        if (completion)
            completion();
    };
    if (animated) {
        CAAnimationEngine::shared().add(kPresentationDuration, setProgress, finish, CAAnimationCurve::EaseOut);
    } else {
        // Even without animation the completion comes after the call returns, as the platform's does.
        CAAnimationEngine::shared().add(0, nullptr, finish);
    }
}

void UIApplication::dismissController(UIViewController* controller, bool animated, std::function<void()> completion)
{
    // A presenter asked to dismiss dismisses what it presents.
    auto it = std::find_if(_presentations.begin(), _presentations.end(),
        [controller](auto& p) { return p.controller.get() == controller && !p.dismissing; });
    if (it == _presentations.end()) {
        it = std::find_if(_presentations.begin(), _presentations.end(), [controller](auto& p) {
            return !p.dismissing && p.presenter.lock().get() == controller;
        });
    }
    if (it == _presentations.end())
        return;
    it->dismissing = true;
    auto held = it->controller;
    double from = it->progress;
    auto alive = _alive;
    auto* target = held.get();
    auto step = [this, alive, target, from](double t) {
        if (!*alive)
            return;
        for (auto& p : _presentations) {
            if (p.controller.get() == target)
                p.progress = from * (1 - t);
        }
        UIMarkNeedsDisplay();
    };
    // The presentation lets go of the controller when the dismissal has finished; the completion
    // runs after that.
    auto finish = [this, alive, target, completion = std::move(completion)] {
        if (*alive) {
            std::erase_if(_presentations, [target](auto& p) { return p.controller.get() == target; });
            UIMarkNeedsDisplay();
        }
        if (completion)
            completion();
    };
    CAAnimationEngine::shared().add(animated ? kPresentationDuration : 0, step, finish, CAAnimationCurve::EaseOut);
}

UIViewController* UIApplication::controllerPresentedBy(const UIViewController* presenter) const
{
    for (auto& p : _presentations) {
        if (p.presenter.lock().get() == presenter)
            return p.controller.get();
    }
    return nullptr;
}

UIViewController* UIApplication::presenterOf(const UIViewController* controller) const
{
    for (auto& p : _presentations) {
        if (p.controller.get() == controller)
            return static_cast<UIViewController*>(p.presenter.lock().get());
    }
    return nullptr;
}

UIView* UIApplication::hitTest(CGPoint screenPoint)
{
    if (!_alerts.empty()) {
        auto& alert = _alerts.back();
        CGPoint local { screenPoint.x - alert->frame().minX(), screenPoint.y - alert->frame().minY() };
        return alert->hitTest(local);
    }
    // An answered alert still fading out keeps the screen beneath it from taking touches.
    for (auto& leaving : _leavingAlerts) {
        if (!leaving.expired())
            return nullptr;
    }
    // A screen on its way in or out takes no touches, nor does what lies beneath it.
    for (auto it = _presentations.rbegin(); it != _presentations.rend(); ++it) {
        if (it->dismissing || it->progress < 1)
            return nullptr;
        auto* view = it->controller->view();
        if (!view || view->isHidden())
            continue;
        CGPoint local { screenPoint.x - view->frame().minX(), screenPoint.y - view->frame().minY() };
        if (auto* hit = view->hitTest(local))
            return hit;
        // A presented screen covers the whole screen: what lies beneath gets nothing.
        return nullptr;
    }
    if (auto* window = keyWindow())
        return window->hitTest({ screenPoint.x - window->frame().minX(), screenPoint.y - window->frame().minY() });
    return nullptr;
}

namespace {

CGPoint screenToView(UIView* view, CGPoint screenPoint)
{
    // Presented views and alerts have no window: their frames are in screen coordinates.
    return view->convertPointFromWindow(screenPoint);
}

} // namespace

void UIApplication::sendTouch(UITouchPhase phase, CGPoint screenPoint)
{
    std::shared_ptr<UIView> target;
    if (phase == UITouchPhase::Began) {
        auto* hit = hitTest(screenPoint);
        _touchedView = hit ? hit->weakSelf<UIView>() : std::weak_ptr<UIView>();
    }
    target = _touchedView.lock();
    if (!target)
        return;
    CGPoint local = screenToView(target.get(), screenPoint);
    switch (phase) {
    case UITouchPhase::Began:
        target->touchesBegan(local);
        break;
    case UITouchPhase::Moved:
        target->touchesMoved(local);
        break;
    case UITouchPhase::Ended:
        _touchedView.reset();
        target->touchesEnded(local);
        break;
    case UITouchPhase::Cancelled:
        _touchedView.reset();
        target->touchesCancelled();
        break;
    }
}

void UIApplication::layoutIfNeeded()
{
    if (auto* window = keyWindow())
        window->layoutIfNeeded();
    for (auto& p : _presentations) {
        if (auto view = p.controller->viewIfLoaded())
            view->layoutIfNeeded();
    }
}

void UIApplication::renderFrame(render::Painter& painter)
{
    layoutIfNeeded();
    CGRect screen = UIScreen::mainScreen().bounds();
    painter.beginFrame();
    painter.clear({ 0, 0, 0, 1 });
    if (auto* window = keyWindow())
        window->drawHierarchy(painter);
    for (auto& p : _presentations) {
        auto view = p.controller->viewIfLoaded();
        if (!view || p.progress <= 0)
            continue;
        painter.save();
        painter.translate(0, std::round((1 - p.progress) * screen.size.height * 4) / 4);
        view->drawHierarchy(painter);
        painter.restore();
    }
    // The status bar lies over the screens; an alert's dimming covers it too.
    drawStatusBar(painter);
    std::erase_if(_leavingAlerts, [](auto& weak) { return weak.expired(); });
    auto drawAlert = [&](UIAlertView& alert) {
        painter.save();
        painter.translate(alert.frame().minX(), alert.frame().minY());
        alert.drawAlert(painter);
        painter.restore();
    };
    for (auto& weak : _leavingAlerts) {
        if (auto alert = weak.lock())
            drawAlert(*alert);
    }
    for (auto& alert : _alerts)
        drawAlert(*alert);
}

void UIApplication::drawStatusBar(render::Painter& painter)
{
    CGFloat width = UIScreen::mainScreen().bounds().size.width;
    std::string time = statusBarTimeText();
    if (_statusBarTransition < 1)
        UIStatusBarDraw(painter, _previousStatusBarStyle, time, width, 1 - _statusBarTransition);
    UIStatusBarDraw(painter, _statusBarStyle, time, width, _statusBarTransition);
}
