#pragma once

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"

#include <map>

enum UIButtonType : NSInteger {
    UIButtonTypeCustom = 0,
    UIButtonTypeSystem = 1,
};

// A button with a title and an image per control state. The system type draws its title only,
// centred on one line, in the tint blue unless a title colour is set, truncated in the middle
// when it does not fit, and fades while pressed; the custom type draws its title (white unless
// set) and its image, with no background.
class UIButton : public UIControl {
public:
    ZENTROVA_CLASS_NAME(UIButton)

    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return _buttonType; }

    void setTitle(const NSString& title, UIControlState forState);
    std::optional<NSString> titleForState(UIControlState state) const;
    void setTitleColor(const UIColor& color, UIControlState forState);
    // The colour set for the state, falling back to the normal state's; none when never set.
    std::optional<UIColor> titleColorForState(UIControlState state) const;
    void setImage(std::shared_ptr<UIImage> image, UIControlState forState);
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;

    // The label whose font and line-break mode the title is drawn with.
    UILabel* titleLabel() const { return _titleLabel.get(); }

    NSString currentTitle() const;
    UIColor currentTitleColor() const;
    double titleOpacity() const { return _titleOpacity; }

    void describe(UIViewDescription& description) const override;

protected:
    explicit UIButton(UIButtonType type);
    void drawContent(render::Painter& painter) override;
    void highlightDidChange() override;

private:
    UIControlState currentState() const { return isHighlighted() ? UIControlStateHighlighted : UIControlStateNormal; }

    UIButtonType _buttonType;
    std::map<NSUInteger, NSString> _titles;
    std::map<NSUInteger, UIColor> _titleColors;
    std::map<NSUInteger, std::shared_ptr<UIImage>> _images;
    std::shared_ptr<UILabel> _titleLabel;
    // The title's opacity: 0.2 while pressed, fading back to 1 after release.
    double _titleOpacity = 1;
    CAAnimationHandle _fade;
};
