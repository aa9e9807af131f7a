#pragma once

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <vector>

class UIAlertView;

class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertView(UIAlertView& alertView, NSInteger clickedButtonAtIndex) = 0;
};

// A modal alert of real views: a dimming layer over the whole screen with a centred panel that
// holds the title, the message and one button per title (the cancel button is index 0, the
// others follow from index 1). show() hands it to the application, which holds it while it is
// shown, and returns at once. A tap on a button ends the alert and delivers alertView(alert,
// index) to the delegate exactly once, on the main queue. The delegate is not owned.
class UIAlertView final : public UIView {
public:
    ZENTROVA_CLASS_NAME(UIAlertView)

    static constexpr double kAppearDuration = 0.2;

    static std::shared_ptr<UIAlertView> initWithTitle(const NSString& title, const NSString& message,
        UIAlertViewDelegate* delegate, const std::optional<NSString>& cancelButtonTitle,
        const std::vector<NSString>& otherButtonTitles);

    const NSString& title() const { return _title; }
    const NSString& message() const { return _message; }
    NSInteger numberOfButtons() const { return static_cast<NSInteger>(_buttonTitles.size()); }
    NSString buttonTitleAtIndex(NSInteger index) const;
    const std::vector<NSString>& buttonTitles() const { return _buttonTitles; }
    NSInteger cancelButtonIndex() const { return _cancelButtonIndex; }
    UIAlertViewDelegate* delegate() const;

    void show();
    bool isVisible() const { return _visible; }
    // Ends the alert as a tap on that button does: the delegate hears of it on the main queue.
    void dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated);

    UIButton* buttonAtIndex(NSInteger index) const;
    UIView* panel() const { return _panel.get(); }
    // Lays the panel out for a screen of the given bounds.
    void layoutForScreen(CGRect screenBounds);
    // Draws the dimming and the panel with the appear or disappear animation applied.
    void drawAlert(render::Painter& painter);

    void describe(UIViewDescription& description) const override;

protected:
    UIAlertView();

private:
    void buttonTapped(NSInteger index);
    void animateVisibility(double from, double to, std::function<void()> completion);

    NSString _title;
    NSString _message;
    std::vector<NSString> _buttonTitles;
    NSInteger _cancelButtonIndex = -1;
    std::weak_ptr<NSObject> _delegateObject;
    UIAlertViewDelegate* _delegate = nullptr;
    bool _visible = false;
    bool _answered = false;
    // 0 hidden, 1 fully shown; whether it is appearing or leaving.
    double _presence = 0;
    bool _appearing = true;
    CAAnimationHandle _animation;

    std::shared_ptr<UIView> _panel;
    std::shared_ptr<UILabel> _titleLabel;
    std::shared_ptr<UILabel> _messageLabel;
    std::vector<std::shared_ptr<UIButton>> _buttons;
};
