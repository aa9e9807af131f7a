#pragma once

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <vector>

enum UIControlEvents : NSUInteger {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventTouchUpOutside = 1 << 7,
    UIControlEventValueChanged = 1 << 12,
};

enum UIControlState : NSUInteger {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
    UIControlStateDisabled = 1 << 1,
    UIControlStateSelected = 1 << 2,
};

// A view that tracks a touch and sends actions to targets. A touch down highlights it; touch up
// inside fires only when the touch ends inside its bounds; a drag out and release fires nothing.
// Targets are not owned: a target that no longer exists is skipped.
class UIControl : public UIView {
public:
    ZENTROVA_CLASS_NAME(UIControl)

    template<typename T>
    void addTarget(T* target, void (T::*action)(), UIControlEvents events)
    {
        std::weak_ptr<NSObject> weak = target->weakSelf();
        addTargetAction(std::move(weak), [action](NSObject& object) { (static_cast<T&>(object).*action)(); }, events);
    }
    // The form every registration takes: a call made on the target while it still exists.
    void addTargetAction(std::weak_ptr<NSObject> target, std::function<void(NSObject&)> call, UIControlEvents events);

    // Sends the actions registered for these events. The control keeps itself alive while it
    // dispatches, since an action may tear down the tree it lives in.
    void sendActionsForControlEvents(UIControlEvents events);
    size_t targetCount(UIControlEvents events) const;

    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);
    bool isTracking() const { return _tracking; }
    bool canBecomeFocused() const override { return isUserInteractionEnabled(); }

    void touchesBegan(CGPoint location) override;
    void touchesMoved(CGPoint location) override;
    void touchesEnded(CGPoint location) override;
    void touchesCancelled() override;

protected:
    explicit UIControl(CGRect frame)
        : UIView(frame)
    {
    }
    // A completed tap: the touch went down and came up inside. Controls that change value on a
    // tap (the switch) override it and call the base.
    virtual void didTapInside();
    virtual void highlightDidChange() { }

private:
    struct TargetAction {
        std::weak_ptr<NSObject> target;
        std::function<void(NSObject&)> call;
        UIControlEvents events;
    };
    std::vector<TargetAction> _targets;
    bool _highlighted = false;
    bool _tracking = false;
};
