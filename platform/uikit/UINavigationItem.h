#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "platform/uikit/UIBarButtonItem.h"

#include <memory>

// What a navigation bar shows for one level: a title and a left and a right bar button.
class UINavigationItem final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UINavigationItem)

    static std::shared_ptr<UINavigationItem> initWithTitle(const NSString& title)
    {
        return std::shared_ptr<UINavigationItem>(new UINavigationItem(title));
    }

    const NSString& title() const { return _title; }
    void setTitle(const NSString& title) { _title = title; }
    UIBarButtonItem* leftBarButtonItem() const { return _left.get(); }
    void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { _left = std::move(item); }
    UIBarButtonItem* rightBarButtonItem() const { return _right.get(); }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { _right = std::move(item); }

private:
    explicit UINavigationItem(NSString title)
        : _title(std::move(title))
    {
    }

    NSString _title;
    std::shared_ptr<UIBarButtonItem> _left;
    std::shared_ptr<UIBarButtonItem> _right;
};
