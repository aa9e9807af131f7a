#pragma once

#include "platform/uikit/UIControl.h"

// An on/off switch of the platform's fixed size, 51 x 31 points, whatever frame it is given.
// A tap toggles it, slides the knob over 0.25 s and sends the value-changed actions.
class UISwitch : public UIControl {
public:
    ZENTROVA_CLASS_NAME(UISwitch)

    static constexpr CGFloat kWidth = 51;
    static constexpr CGFloat kHeight = 31;

    static std::shared_ptr<UISwitch> create(CGRect frame = CGRectZero);

    void setFrame(CGRect frame) override;

    bool isOn() const { return _on; }
    void setOn(bool on) { setOn(on, false); }
    void setOn(bool on, bool animated);

    // Where the knob is between off (0) and on (1); mid-way while it slides.
    double knobPosition() const { return _knobPosition; }

    void describe(UIViewDescription& description) const override;

protected:
    explicit UISwitch(CGRect frame);
    void didTapInside() override;
    void drawContent(render::Painter& painter) override;

private:
    bool _on = false;
    double _knobPosition = 0;
    CAAnimationHandle _slide;
};
