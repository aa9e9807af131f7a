#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIColor.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace render {
class Painter;
}
class NSLayoutConstraint;
class UIViewDescription;
class UIWindow;

// Whether anything on screen changed since the host last drew a frame. Views mark it; hosts
// clear it when they render.
void UIMarkNeedsDisplay();
bool UITakeNeedsDisplay();

// A rectangle of the screen with subviews stacked in the order added (later ones lie above).
// A superview holds its subviews; the superview link is plain.
class UIView : public NSObject {
public:
    ZENTROVA_CLASS_NAME(UIView)

    static std::shared_ptr<UIView> create(CGRect frame = CGRectZero);
    ~UIView() override;

    CGRect frame() const { return _frame; }
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return { { 0, 0 }, _frame.size }; }
    CGPoint center() const { return { _frame.midX(), _frame.midY() }; }

    void addSubview(std::shared_ptr<UIView> view);
    void removeFromSuperview();
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return _subviews; }
    UIView* superview() const { return _superview; }
    // The window at the root of this view's tree, if it is in one.
    UIWindow* window() const;

    const std::optional<UIColor>& backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(std::optional<UIColor> color);
    bool isHidden() const { return _hidden; }
    void setHidden(bool hidden);
    bool clipsToBounds() const { return _clipsToBounds; }
    void setClipsToBounds(bool clips);
    bool isUserInteractionEnabled() const { return _userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { _userInteractionEnabled = enabled; }
    CGFloat alpha() const { return _alpha; }
    void setAlpha(CGFloat alpha);
    NSInteger tag() const { return _tag; }
    void setTag(NSInteger tag) { _tag = tag; }

    // The name automation and the tree dump know the view by: the controller's field name.
    const NSString& accessibilityIdentifier() const { return _identifier; }
    void setAccessibilityIdentifier(const NSString& identifier) { _identifier = identifier; }

    // The controller whose root view this is, if any.
    NSObject* viewController() const { return _viewController.lock().get(); }
    void setViewController(NSObject* controller) { _viewController = controller ? controller->weakSelf() : std::weak_ptr<NSObject>(); }

    CALayer& layer() { return _layer; }
    const CALayer& layer() const { return _layer; }

    void addConstraint(std::shared_ptr<NSLayoutConstraint> constraint);
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints() const { return _constraints; }
    // Applies the size constraints held by this view and its descendants.
    void layoutIfNeeded();

    // The deepest visible, interactive view under a point in this view's coordinates, or null.
    virtual UIView* hitTest(CGPoint point);
    virtual bool pointInside(CGPoint point) const;
    CGPoint convertPointToWindow(CGPoint point) const;
    CGPoint convertPointFromWindow(CGPoint point) const;
    CGRect frameInWindow() const;

    // Touch tracking; locations are in this view's coordinates.
    virtual void touchesBegan(CGPoint location) { }
    virtual void touchesMoved(CGPoint location) { }
    virtual void touchesEnded(CGPoint location) { }
    virtual void touchesCancelled() { }
    // Scrolling by the wheel; true when the view scrolled.
    virtual bool scrollBy(CGFloat dy) { return false; }
    // Selecting text, in UTF-16 units; false when the view holds no selectable text or the range
    // does not lie within it.
    virtual bool selectTextRange(NSRange range) { return false; }
    // Puts the view's selection on the general pasteboard; false when there is nothing to copy.
    virtual bool copy() { return false; }

    // Keyboard focus. Tab stops at a view that can become focused (a control, a text view) and at
    // each tappable part of a view (a bar's buttons, named by their identity).
    virtual bool canBecomeFocused() const { return false; }
    // Space or Return on the focused view or PART of it: what a tap in its middle does. False
    // when the view has nothing to do (a text view).
    virtual bool performPrimaryAction(const void* part);
    // Esc on a presented screen: a view that can take the user back (a bar with a left button)
    // does so and returns true.
    virtual bool accessibilityPerformEscape() { return false; }

    // Tells the hosts what this view is: its tree properties, the text a selector finds it by, its
    // console line. Every view kind adds its own to what its base class describes.
    virtual void describe(UIViewDescription& description) const;
    // How messages name the view: its class, its identifier and the detail it describes.
    std::string nameForDescription(const UIViewDescription& description) const;

    // Draws this view and its subviews; the painter's origin is the superview's.
    void drawHierarchy(render::Painter& painter);
    void setNeedsDisplay() { UIMarkNeedsDisplay(); }

protected:
    explicit UIView(CGRect frame);
    // Draws this view's own content in its bounds, above its background.
    virtual void drawContent(render::Painter& painter) { }

private:
    void applyConstraints();

    CGRect _frame;
    std::vector<std::shared_ptr<UIView>> _subviews;
    UIView* _superview = nullptr;
    std::optional<UIColor> _backgroundColor;
    bool _hidden = false;
    bool _clipsToBounds = false;
    bool _userInteractionEnabled = true;
    CGFloat _alpha = 1;
    NSInteger _tag = 0;
    NSString _identifier;
    std::weak_ptr<NSObject> _viewController;
    CALayer _layer;
    std::vector<std::shared_ptr<NSLayoutConstraint>> _constraints;
};
