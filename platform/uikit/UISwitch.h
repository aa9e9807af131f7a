#pragma once

#include "platform/uikit/UIControl.h"

// An on/off switch of the look's fixed size (UIKitLook::switchSize), whatever frame it is given.
// A tap toggles it, slides the knob over 0.25 s and sends the value-changed actions once the
// state has changed. Dragging moves the knob with the finger; on release the switch takes the
// side the knob is nearer to. A touch that neither drags nor ends inside changes nothing.
class UISwitch : public UIControl {
public:
    ZENTROVA_CLASS_NAME(UISwitch)

    // The size every switch takes.
    static CGSize intrinsicSize();

    static std::shared_ptr<UISwitch> create(CGRect frame = CGRectZero);

    void setFrame(CGRect frame) override;

    bool isOn() const { return _on; }
    void setOn(bool on) { setOn(on, false); }
    void setOn(bool on, bool animated);

    // Where the knob is between off (0) and on (1); mid-way while it slides.
    double knobPosition() const { return _knobPosition; }

    void describe(UIViewDescription& description) const override;

    void touchesBegan(CGPoint location) override;
    void touchesMoved(CGPoint location) override;
    void touchesEnded(CGPoint location) override;
    void touchesCancelled() override;

    // How far the finger must move sideways before a touch drags the knob.
    static constexpr CGFloat kDragSlop = 3;

protected:
    explicit UISwitch(CGRect frame);
    void didTapInside() override;
    void drawContent(render::Painter& painter) override;

private:
    void changeValue(bool on);

    bool _on = false;
    double _knobPosition = 0;
    bool _dragging = false;
    CGFloat _touchStartX = 0;
    double _knobStart = 0;
    CAAnimationHandle _slide;
};
