#include "platform/uikit/UIApplication.h"

#include "platform/render/Painter.h"
#include "platform/system/System.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

namespace {

UIApplication* gShared = nullptr;
std::shared_ptr<UIApplication> gFallback;

} // namespace

UIApplication::~UIApplication()
{
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
    if (auto decided = _presentationStack.hitTest(screenPoint))
        return *decided;
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

UIView* UIApplication::keyboardLayer() const
{
    if (!_alerts.empty())
        return _alerts.back().get();
    if (auto* top = _presentationStack.topView())
        return top;
    return keyWindow();
}

const UIApplication::KeyboardFocus* UIApplication::focusOfKeyboardLayer() const
{
    UIView* layer = keyboardLayer();
    for (auto& focus : _focus) {
        if (layer && focus.layer.lock().get() == layer)
            return &focus;
    }
    return nullptr;
}

UIView* UIApplication::focusedView() const
{
    auto* focus = focusOfKeyboardLayer();
    auto view = focus ? focus->view.lock() : nullptr;
    UIView* layer = keyboardLayer();
    for (UIView* ancestor = view.get(); ancestor; ancestor = ancestor->superview()) {
        if (ancestor == layer)
            return view.get();
    }
    return nullptr;
}

const void* UIApplication::focusedPart() const
{
    return focusedView() ? focusOfKeyboardLayer()->part : nullptr;
}

void UIApplication::setFocus(UIView* view, const void* part)
{
    UIMarkNeedsDisplay();
    if (!view) {
        _focus.clear();
        return;
    }
    std::erase_if(_focus, [&](const KeyboardFocus& focus) { return focus.layer.expired() || focus.layer.lock().get() == keyboardLayer(); });
    if (auto* layer = keyboardLayer())
        _focus.push_back({ layer->weakSelf<UIView>(), view->weakSelf<UIView>(), part });
}

void UIApplication::sendTouch(UITouchPhase phase, CGPoint screenPoint)
{
    std::shared_ptr<UIView> target;
    if (phase == UITouchPhase::Began) {
        if (!_focus.empty())
            setFocus(nullptr);
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

void UIApplication::setFirstResponder(UIView* view)
{
    _firstResponder = view ? view->weakSelf<UIView>() : std::weak_ptr<UIView>();
}

bool UIApplication::copy()
{
    auto responder = _firstResponder.lock();
    return responder && responder->copy();
}

void UIApplication::layoutIfNeeded()
{
    if (auto* window = keyWindow())
        window->layoutIfNeeded();
    _presentationStack.layoutIfNeeded();
}

void UIApplication::renderFrame(render::Painter& painter)
{
    layoutIfNeeded();
    CGRect screen = UIScreen::mainScreen().bounds();
    painter.beginFrame();
    painter.clear({ 0, 0, 0, 1 });
    if (auto* window = keyWindow())
        window->drawHierarchy(painter);
    _presentationStack.draw(painter, screen);
    // The status bar lies over the screens; an alert's dimming covers it too.
    _statusBar.draw(painter, screen.size.width);
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
    drawFocusRing(painter);
}

void UIApplication::drawFocusRing(render::Painter& painter)
{
    UIView* view = focusedView();
    if (!view)
        return;
    CGRect frame = view->frameInWindow();
    if (auto* focusedPart = this->focusedPart()) {
        UIViewDescription description;
        view->describe(description);
        auto part = std::find_if(description.parts.begin(), description.parts.end(),
            [&](auto& each) { return each.identity == focusedPart; });
        if (part == description.parts.end())
            return;
        frame = CGRectOffset(part->frame, frame.minX(), frame.minY());
    }
    // Just outside what it rings, so that the control's own edge stays visible inside it, but on
    // the screen: a view as wide as the screen is ringed just inside its edges.
    constexpr double kOutset = 3, kRadius = 6, kWidth = 2.5;
    CGSize screen = UIScreen::mainScreen().bounds().size;
    double left = std::max(double(frame.minX()) - kOutset, kWidth / 2), top = std::max(double(frame.minY()) - kOutset, kWidth / 2);
    double right = std::min(double(frame.maxX()) + kOutset, double(screen.width) - kWidth / 2);
    double bottom = std::min(double(frame.maxY()) + kOutset, double(screen.height) - kWidth / 2);
    if (right > left && bottom > top)
        painter.strokeRoundedRect({ left, top, right - left, bottom - top }, kRadius, kWidth, toRGBA(kSystemTintColor));
}
