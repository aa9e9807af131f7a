#include "platform/uikit/UISwitch.h"

#include "platform/uikit/UIKitLook.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kSlideDuration = 0.25;
}

CGSize UISwitch::intrinsicSize()
{
    return UIKitLook::current().switchSize;
}

std::shared_ptr<UISwitch> UISwitch::create(CGRect frame)
{
    return std::shared_ptr<UISwitch>(new UISwitch(frame));
}

UISwitch::UISwitch(CGRect frame)
    : UIControl({ frame.origin, intrinsicSize() })
{
}

void UISwitch::setFrame(CGRect frame)
{
    UIControl::setFrame({ frame.origin, intrinsicSize() });
}

void UISwitch::setOn(bool on, bool animated)
{
    _slide.cancel();
    _on = on;
    double target = on ? 1 : 0;
    setNeedsDisplay();
    if (!animated) {
        _knobPosition = target;
        return;
    }
    double from = _knobPosition;
    _slide = CAAnimationEngine::shared().add(kSlideDuration, [this, from, target](double t) {
        _knobPosition = from + (target - from) * t;
        setNeedsDisplay();
    });
}

void UISwitch::changeValue(bool on)
{
    bool changed = on != _on;
    setOn(on, true);
    if (changed)
        sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISwitch::didTapInside()
{
    changeValue(!_on);
    UIControl::didTapInside();
}

void UISwitch::touchesBegan(CGPoint location)
{
    _dragging = false;
    _touchStartX = location.x;
    _knobStart = _knobPosition;
    UIControl::touchesBegan(location);
}

void UISwitch::touchesMoved(CGPoint location)
{
    if (!isTracking())
        return;
    if (!_dragging && std::abs(location.x - _touchStartX) >= kDragSlop) {
        _dragging = true;
        _slide.cancel();
    }
    if (!_dragging) {
        UIControl::touchesMoved(location);
        return;
    }
    const double travel = UIKitLook::current().switchKnobTravel();
    _knobPosition = std::clamp(_knobStart + (location.x - _touchStartX) / travel, 0.0, 1.0);
    setNeedsDisplay();
}

void UISwitch::touchesEnded(CGPoint location)
{
    if (!_dragging) {
        UIControl::touchesEnded(location);
        return;
    }
    _dragging = false;
    UIControl::touchesCancelled();
    // The knob settles on the side it is nearer to, wherever the finger ends.
    changeValue(_knobPosition > 0.5);
}

void UISwitch::touchesCancelled()
{
    bool wasDragging = _dragging;
    _dragging = false;
    UIControl::touchesCancelled();
    if (wasDragging)
        setOn(_on, true);
}

void UISwitch::drawContent(render::Painter& painter)
{
    UIKitLookDrawing::drawSwitch(painter, _knobPosition);
}

void UISwitch::describe(UIViewDescription& description) const
{
    UIControl::describe(description);
    description.set("on", _on);
    description.detail = _on ? "on" : "off";
    std::string state = _on ? "on" : "off";
    if (!isUserInteractionEnabled())
        state += ", disabled";
    description.consoleLine = consoleLine("switch", { description.identifierWord(), state });
}
