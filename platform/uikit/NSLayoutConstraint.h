#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSObjCRuntime.h"
#include "platform/uikit/CGGeometry.h"

#include <memory>

class UIView;

enum NSLayoutAttribute : NSInteger {
    NSLayoutAttributeNotAnAttribute = 0,
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeLeading = 5,
    NSLayoutAttributeTrailing = 6,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
};

enum NSLayoutRelation : NSInteger {
    NSLayoutRelationLessThanOrEqual = -1,
    NSLayoutRelationEqual = 0,
    NSLayoutRelationGreaterThanOrEqual = 1,
};

// A layout constraint. The layout pass honours the size constraints that have no second item
// (a fixed width or height); every other kind is kept but not solved.
class NSLayoutConstraint final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSLayoutConstraint)

    static std::shared_ptr<NSLayoutConstraint> constraintWithItem(UIView* item, NSLayoutAttribute attribute,
        NSLayoutRelation relatedBy, UIView* toItem, NSLayoutAttribute secondAttribute, CGFloat multiplier,
        CGFloat constant);

    UIView* firstItem() const { return _firstItem.lock().get(); }
    NSLayoutAttribute firstAttribute() const { return _firstAttribute; }
    NSLayoutRelation relation() const { return _relation; }
    UIView* secondItem() const { return _secondItem.lock().get(); }
    NSLayoutAttribute secondAttribute() const { return _secondAttribute; }
    CGFloat multiplier() const { return _multiplier; }
    CGFloat constant() const { return _constant; }

private:
    NSLayoutConstraint() = default;

    // Items are not owned: the view tree keeps them alive.
    std::weak_ptr<UIView> _firstItem;
    NSLayoutAttribute _firstAttribute = NSLayoutAttributeNotAnAttribute;
    NSLayoutRelation _relation = NSLayoutRelationEqual;
    std::weak_ptr<UIView> _secondItem;
    NSLayoutAttribute _secondAttribute = NSLayoutAttributeNotAnAttribute;
    CGFloat _multiplier = 1;
    CGFloat _constant = 0;
};
