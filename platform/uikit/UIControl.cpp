#include "platform/uikit/UIControl.h"

void UIControl::addTargetAction(std::weak_ptr<NSObject> target, std::function<void(NSObject&)> call,
    UIControlEvents events)
{
    _targets.push_back({ std::move(target), std::move(call), events });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events)
{
    auto keepAlive = retainSelf();
    auto targets = _targets;
    for (auto& entry : targets) {
        if (!(entry.events & events))
            continue;
        if (auto target = entry.target.lock())
            entry.call(*target);
    }
}

size_t UIControl::targetCount(UIControlEvents events) const
{
    size_t count = 0;
    for (auto& entry : _targets)
        count += (entry.events & events) ? 1 : 0;
    return count;
}

void UIControl::setHighlighted(bool highlighted)
{
    if (_highlighted == highlighted)
        return;
    _highlighted = highlighted;
    setNeedsDisplay();
    highlightDidChange();
}

void UIControl::touchesBegan(CGPoint location)
{
    _tracking = true;
    setHighlighted(true);
    sendActionsForControlEvents(UIControlEventTouchDown);
}

void UIControl::touchesMoved(CGPoint location)
{
    if (_tracking)
        setHighlighted(pointInside(location));
}

void UIControl::touchesEnded(CGPoint location)
{
    if (!_tracking)
        return;
    _tracking = false;
    setHighlighted(false);
    if (pointInside(location))
        didTapInside();
    else
        sendActionsForControlEvents(UIControlEventTouchUpOutside);
}

void UIControl::touchesCancelled()
{
    _tracking = false;
    setHighlighted(false);
}

void UIControl::didTapInside()
{
    sendActionsForControlEvents(UIControlEventTouchUpInside);
}
