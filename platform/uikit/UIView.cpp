#include "platform/uikit/UIView.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIViewDescription.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cassert>

namespace {

bool gNeedsDisplay = true;

const char* attributeName(NSLayoutAttribute attribute)
{
    switch (attribute) {
    case NSLayoutAttributeLeft:
        return "left";
    case NSLayoutAttributeRight:
        return "right";
    case NSLayoutAttributeTop:
        return "top";
    case NSLayoutAttributeBottom:
        return "bottom";
    case NSLayoutAttributeLeading:
        return "leading";
    case NSLayoutAttributeTrailing:
        return "trailing";
    case NSLayoutAttributeWidth:
        return "width";
    case NSLayoutAttributeHeight:
        return "height";
    case NSLayoutAttributeNotAnAttribute:
        break;
    }
    return "notAnAttribute";
}

} // namespace

void UIMarkNeedsDisplay()
{
    gNeedsDisplay = true;
}

bool UITakeNeedsDisplay()
{
    bool needed = gNeedsDisplay;
    gNeedsDisplay = false;
    return needed;
}

std::shared_ptr<UIView> UIView::create(CGRect frame)
{
    return std::shared_ptr<UIView>(new UIView(frame));
}

UIView::UIView(CGRect frame)
    : _frame(frame)
{
}

UIView::~UIView()
{
    for (auto& subview : _subviews)
        subview->_superview = nullptr;
}

void UIView::setFrame(CGRect frame)
{
    _frame = frame;
    setNeedsDisplay();
}

void UIView::addSubview(std::shared_ptr<UIView> view)
{
    assert(view && view.get() != this);
    auto keepAlive = view;
    if (view->_superview)
        view->removeFromSuperview();
    view->_superview = this;
    _subviews.push_back(std::move(view));
    setNeedsDisplay();
}

void UIView::removeFromSuperview()
{
    auto* parent = _superview;
    if (!parent)
        return;
    _superview = nullptr;
    // Erasing may drop the last reference to this view, so nothing touches `this` afterwards.
    auto& siblings = parent->_subviews;
    auto it = std::find_if(siblings.begin(), siblings.end(), [this](auto& v) { return v.get() == this; });
    if (it != siblings.end()) {
        auto keepAlive = *it;
        siblings.erase(it);
    }
    UIMarkNeedsDisplay();
}

UIWindow* UIView::window() const
{
    const UIView* view = this;
    while (view->_superview)
        view = view->_superview;
    return dynamic_cast<UIWindow*>(const_cast<UIView*>(view));
}

void UIView::setBackgroundColor(std::optional<UIColor> color)
{
    _backgroundColor = color;
    setNeedsDisplay();
}

void UIView::setHidden(bool hidden)
{
    _hidden = hidden;
    setNeedsDisplay();
}

void UIView::setClipsToBounds(bool clips)
{
    _clipsToBounds = clips;
    setNeedsDisplay();
}

void UIView::setAlpha(CGFloat alpha)
{
    _alpha = alpha;
    setNeedsDisplay();
}

void UIView::addConstraint(std::shared_ptr<NSLayoutConstraint> constraint)
{
    _constraints.push_back(std::move(constraint));
    setNeedsDisplay();
}

void UIView::applyConstraints()
{
    for (auto& constraint : _constraints) {
        auto* item = constraint->firstItem();
        if (!item || constraint->secondItem() || constraint->relation() != NSLayoutRelationEqual)
            continue;
        // A constraint only binds views of the tree it belongs to.
        if (item != this && item->_superview != this)
            continue;
        CGRect frame = item->_frame;
        if (constraint->firstAttribute() == NSLayoutAttributeHeight)
            frame.size.height = constraint->constant();
        else if (constraint->firstAttribute() == NSLayoutAttributeWidth)
            frame.size.width = constraint->constant();
        else
            continue;
        if (frame != item->_frame)
            item->setFrame(frame);
    }
}

void UIView::layoutIfNeeded()
{
    applyConstraints();
    for (auto& subview : _subviews)
        subview->layoutIfNeeded();
}

bool UIView::pointInside(CGPoint point) const
{
    return CGRectContainsPoint(bounds(), point);
}

UIView* UIView::hitTest(CGPoint point)
{
    if (_hidden || !_userInteractionEnabled || _alpha < 0.01 || !pointInside(point))
        return nullptr;
    for (auto it = _subviews.rbegin(); it != _subviews.rend(); ++it) {
        auto& subview = *it;
        CGPoint local { point.x - subview->_frame.origin.x, point.y - subview->_frame.origin.y };
        if (auto* hit = subview->hitTest(local))
            return hit;
    }
    return this;
}

CGPoint UIView::convertPointToWindow(CGPoint point) const
{
    for (const UIView* view = this; view; view = view->_superview) {
        point.x += view->_frame.origin.x;
        point.y += view->_frame.origin.y;
    }
    return point;
}

CGPoint UIView::convertPointFromWindow(CGPoint point) const
{
    CGPoint origin = convertPointToWindow({ 0, 0 });
    return { point.x - origin.x, point.y - origin.y };
}

bool UIView::performPrimaryAction(const void* part)
{
    CGRect target = bounds();
    if (part) {
        UIViewDescription description;
        describe(description);
        auto found = std::find_if(description.parts.begin(), description.parts.end(), [&](auto& each) { return each.identity == part; });
        if (found == description.parts.end())
            return false;
        target = found->frame;
    }
    // The view may tear down the tree it lives in when it acts.
    auto keepAlive = retainSelf();
    CGPoint middle { target.midX(), target.midY() };
    touchesBegan(middle);
    touchesEnded(middle);
    return true;
}

CGRect UIView::frameInWindow() const
{
    CGPoint origin = convertPointToWindow({ 0, 0 });
    return { origin, _frame.size };
}

void UIView::drawHierarchy(render::Painter& painter)
{
    if (_hidden || _alpha <= 0)
        return;
    painter.save();
    painter.translate(_frame.origin.x, _frame.origin.y);
    // A running transition fades the contents in, or slides them in from the side it names.
    double opacity = _alpha;
    if (auto transition = _layer.runningTransition()) {
        double progress = _layer.transitionProgress();
        if (transition->type() == kCATransitionFade) {
            opacity *= progress;
        } else {
            double direction = transition->subtype() == kCATransitionFromRight ? 1 : -1;
            painter.translate(direction * (1 - progress) * _frame.size.width, 0);
        }
    }
    bool grouped = opacity < 1;
    if (grouped)
        painter.beginGroup();
    if (_clipsToBounds)
        painter.clip({ 0, 0, _frame.size.width, _frame.size.height });
    if (_backgroundColor && _backgroundColor->alpha() > 0)
        painter.fillRect({ 0, 0, _frame.size.width, _frame.size.height }, toRGBA(*_backgroundColor));
    drawContent(painter);
    for (auto& subview : _subviews)
        subview->drawHierarchy(painter);
    if (grouped)
        painter.endGroup(opacity);
    painter.restore();
}

void UIView::describe(UIViewDescription& description) const
{
    description.set("class", className());
    if (!_identifier.isEmpty())
        description.set("id", _identifier.utf8());
    if (auto* controller = viewController())
        description.set("controller", controller->className());
    description.set("frame", describeRect(_frame));
    description.set("hidden", _hidden);
    description.set("backgroundColor", describeColor(_backgroundColor));
    if (!_constraints.empty()) {
        auto list = UIPropertyValue::list();
        for (auto& constraint : _constraints) {
            auto* item = constraint->firstItem();
            UIPropertyValue entry;
            entry.set("firstItem", item && !item->_identifier.isEmpty() ? UIPropertyValue(item->_identifier.utf8()) : nullptr);
            entry.set("firstAttribute", attributeName(constraint->firstAttribute()));
            entry.set("relation", int64_t(constraint->relation()));
            entry.set("constant", constraint->constant());
            entry.set("multiplier", constraint->multiplier());
            list.append(std::move(entry));
        }
        description.set("constraints", std::move(list));
    }
    if (auto& animations = _layer.addedAnimations(); !animations.empty()) {
        auto list = UIPropertyValue::list();
        for (auto& added : animations) {
            UIPropertyValue entry;
            entry.set("key", added.key.utf8());
            entry.set("duration", added.animation->duration());
            if (auto* transition = dynamic_cast<const CATransition*>(added.animation.get())) {
                entry.set("type", transition->type().utf8());
                entry.set("subtype", transition->subtype().utf8());
            }
            list.append(std::move(entry));
        }
        description.set("layerAnimations", std::move(list));
    }
}

std::string UIView::nameForDescription(const UIViewDescription& description) const
{
    std::string name = className();
    if (!_identifier.isEmpty())
        name += " #" + _identifier.utf8();
    if (!description.detail.empty())
        name += " " + description.detail;
    return name;
}
