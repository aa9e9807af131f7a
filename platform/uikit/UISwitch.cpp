#include "platform/uikit/UISwitch.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kSlideDuration = 0.25;
constexpr render::RGBA kOnTrack { 76 / 255.0, 217 / 255.0, 100 / 255.0, 1 };
constexpr render::RGBA kOffBorder { 0.898, 0.898, 0.898, 1 };
constexpr render::RGBA kWhite { 1, 1, 1, 1 };
}

std::shared_ptr<UISwitch> UISwitch::create(CGRect frame)
{
    return std::shared_ptr<UISwitch>(new UISwitch(frame));
}

UISwitch::UISwitch(CGRect frame)
    : UIControl({ frame.origin, { kWidth, kHeight } })
{
}

void UISwitch::setFrame(CGRect frame)
{
    UIControl::setFrame({ frame.origin, { kWidth, kHeight } });
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
    const double travel = kWidth - (kHeight - 4) - 4;
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
    const double w = kWidth, h = kHeight, radius = h / 2;
    const double p = std::clamp(_knobPosition, 0.0, 1.0);
    // The green track grows from the knob as the switch turns on.
    painter.fillRoundedRect({ 0, 0, w, h }, radius, kOffBorder);
    painter.fillRoundedRect({ 1.5, 1.5, w - 3, h - 3 }, radius - 1.5, kWhite);
    if (p > 0) {
        render::RGBA track = kOnTrack;
        track.a = p;
        painter.fillRoundedRect({ 0, 0, w, h }, radius, track);
    }
    const double knob = h - 4;
    double x = 2 + p * (w - knob - 4);
    // The shadow stays inside the switch's own 51 x 31.
    painter.fillShadow({ x, 2 + 1, knob, knob }, knob / 2, 2, { 0, 0, 0, 0.3 });
    painter.fillEllipse({ x, 2, knob, knob }, kWhite);
    painter.strokeRoundedRect({ x, 2, knob, knob }, knob / 2, 0.5, { 0, 0, 0, 0.08 });
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
