#include "platform/uikit/NSLayoutConstraint.h"

#include "platform/uikit/UIView.h"

std::shared_ptr<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(UIView* item, NSLayoutAttribute attribute,
    NSLayoutRelation relatedBy, UIView* toItem, NSLayoutAttribute secondAttribute, CGFloat multiplier, CGFloat constant)
{
    auto constraint = std::shared_ptr<NSLayoutConstraint>(new NSLayoutConstraint);
    if (item)
        constraint->_firstItem = item->weakSelf<UIView>();
    constraint->_firstAttribute = attribute;
    constraint->_relation = relatedBy;
    if (toItem)
        constraint->_secondItem = toItem->weakSelf<UIView>();
    constraint->_secondAttribute = secondAttribute;
    constraint->_multiplier = multiplier;
    constraint->_constant = constant;
    return constraint;
}
