#pragma once

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <memory>

enum UIBarButtonItemStyle : NSInteger {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleBordered = 1,
    UIBarButtonItemStyleDone = 2,
};

// A button of a navigation bar: a title that sends an action to a target when tapped. The target
// is not owned.
class UIBarButtonItem final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UIBarButtonItem)

    template<typename T>
    static std::shared_ptr<UIBarButtonItem> initWithTitle(const NSString& title, UIBarButtonItemStyle style, T* target,
        void (T::*action)())
    {
        auto item = std::shared_ptr<UIBarButtonItem>(new UIBarButtonItem(title, style));
        if (target) {
            item->_target = target->weakSelf();
            item->_action = [action](NSObject& object) { (static_cast<T&>(object).*action)(); };
        }
        return item;
    }

    const NSString& title() const { return _title; }
    UIBarButtonItemStyle style() const { return _style; }
    bool hasTarget() const { return !_target.expired(); }

    // Sends the action to the target, if it still exists.
    void sendAction();

private:
    UIBarButtonItem(NSString title, UIBarButtonItemStyle style)
        : _title(std::move(title))
        , _style(style)
    {
    }

    NSString _title;
    UIBarButtonItemStyle _style;
    std::weak_ptr<NSObject> _target;
    std::function<void(NSObject&)> _action;
};
