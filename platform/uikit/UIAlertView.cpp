#include "platform/uikit/UIAlertView.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIKitLook.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr CGFloat kPadding = 19;
constexpr CGFloat kTitleMessageGap = 4;
constexpr CGFloat kTextInset = 16;
constexpr CGFloat kTitleSize = 17;
constexpr CGFloat kMessageSize = 13;
// The message's lines stand apart enough that descenders clear the line below.
constexpr CGFloat kMessageLineHeight = 16;
constexpr double kDimAlpha = 0.4;
constexpr double kAppearScale = 1.2;

// A button of an alert: its title over a ground that the look paints, pressed or not.
class UIAlertButton final : public UIButton {
public:
    static std::shared_ptr<UIAlertButton> create(const NSString& title, bool isCancel)
    {
        const UIKitLook& look = UIKitLook::current();
        auto button = std::shared_ptr<UIAlertButton>(new UIAlertButton(isCancel));
        button->setTitle(title, UIControlStateNormal);
        if (look.alertButtonTitleColor) {
            button->setTitleColor(*look.alertButtonTitleColor, UIControlStateNormal);
            button->setTitleColor(*look.alertButtonTitleColor, UIControlStateHighlighted);
        }
        button->titleLabel()->setFont(isCancel ? look.alertCancelButtonFont : look.alertButtonFont);
        button->titleLabel()->setShadowColor(look.titleShadowColor);
        return button;
    }

protected:
    explicit UIAlertButton(bool isCancel)
        : UIButton(UIButtonTypeCustom)
        , _isCancel(isCancel)
    {
    }
    void drawContent(render::Painter& painter) override
    {
        UIKitLookDrawing::drawAlertButton(painter, frame().size, _isCancel, isHighlighted());
        UIButton::drawContent(painter);
    }

private:
    bool _isCancel;
};

// The panel's ground, and the hairlines between the text and the buttons where the look draws them.
class UIAlertPanel final : public UIView {
public:
    static std::shared_ptr<UIAlertPanel> create() { return std::shared_ptr<UIAlertPanel>(new UIAlertPanel); }
    std::vector<CGRect> hairlines;

protected:
    UIAlertPanel()
        : UIView(CGRectZero)
    {
        setClipsToBounds(true);
    }
    void drawContent(render::Painter& painter) override
    {
        UIKitLookDrawing::drawAlertPanel(painter, frame().size, hairlines);
    }
};

} // namespace

std::shared_ptr<UIAlertView> UIAlertView::initWithTitle(const NSString& title, const NSString& message,
    UIAlertViewDelegate* delegate, const std::optional<NSString>& cancelButtonTitle,
    const std::vector<NSString>& otherButtonTitles)
{
    auto alert = std::shared_ptr<UIAlertView>(new UIAlertView);
    alert->_title = title;
    alert->_message = message;
    alert->_delegate = delegate;
    if (auto* object = dynamic_cast<NSObject*>(delegate))
        alert->_delegateObject = object->weakSelf();
    if (cancelButtonTitle) {
        alert->_cancelButtonIndex = 0;
        alert->_buttonTitles.push_back(*cancelButtonTitle);
    }
    for (auto& other : otherButtonTitles)
        alert->_buttonTitles.push_back(other);

    auto panel = UIAlertPanel::create();
    alert->_panel = panel;
    alert->addSubview(panel);
    alert->_titleLabel = UILabel::create();
    alert->_titleLabel->setText(title);
    const UIKitLook& look = UIKitLook::current();
    alert->_titleLabel->setFont(UIFont::boldSystemFontOfSize(kTitleSize));
    alert->_titleLabel->setTextColor(look.alertTextColor);
    alert->_titleLabel->setShadowColor(look.titleShadowColor);
    alert->_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    alert->_titleLabel->setNumberOfLines(0);
    panel->addSubview(alert->_titleLabel);
    alert->_messageLabel = UILabel::create();
    alert->_messageLabel->setText(message);
    alert->_messageLabel->setFont(UIFont::systemFontOfSize(kMessageSize));
    alert->_messageLabel->setTextColor(look.alertTextColor);
    alert->_messageLabel->setShadowColor(look.titleShadowColor);
    alert->_messageLabel->setLineHeight(kMessageLineHeight);
    alert->_messageLabel->setTextAlignment(NSTextAlignmentCenter);
    alert->_messageLabel->setNumberOfLines(0);
    panel->addSubview(alert->_messageLabel);
    for (size_t i = 0; i < alert->_buttonTitles.size(); ++i) {
        auto index = static_cast<NSInteger>(i);
        auto button = UIAlertButton::create(alert->_buttonTitles[i], index == alert->_cancelButtonIndex);
        std::weak_ptr<NSObject> weakAlert = alert->weakSelf();
        button->addTargetAction(
            weakAlert, [index](NSObject& object) { static_cast<UIAlertView&>(object).buttonTapped(index); },
            UIControlEventTouchUpInside);
        panel->addSubview(button);
        alert->_buttons.push_back(std::move(button));
    }
    alert->layoutForScreen(UIScreen::mainScreen().bounds());
    return alert;
}

UIAlertView::UIAlertView()
    : UIView(CGRectZero)
{
}

void UIAlertView::describe(UIViewDescription& description) const
{
    UIView::describe(description);
    // Three lines, as the panel reads: the title, the message, and the answers to choose from.
    std::string buttons;
    for (auto& title : _buttonTitles)
        buttons += (buttons.empty() ? "" : " ") + consoleQuoted(title.utf8());
    description.consoleLine = consoleLine("alert", { consoleQuoted(_title.utf8()) }) + "\n"
        + consoleLine("  message", { consoleQuoted(_message.utf8()) }) + "\n" + consoleLine("  buttons", { buttons });
    description.consoleLineCoversSubviews = true;
}

NSString UIAlertView::buttonTitleAtIndex(NSInteger index) const
{
    if (index < 0 || index >= numberOfButtons())
        return NSString();
    return _buttonTitles[static_cast<size_t>(index)];
}

UIAlertViewDelegate* UIAlertView::delegate() const
{
    return _delegateObject.expired() ? nullptr : _delegate;
}

UIButton* UIAlertView::buttonAtIndex(NSInteger index) const
{
    if (index < 0 || index >= numberOfButtons())
        return nullptr;
    return _buttons[static_cast<size_t>(index)].get();
}

void UIAlertView::layoutForScreen(CGRect screenBounds)
{
    const UIKitLook& look = UIKitLook::current();
    const CGFloat panelWidth = look.alertWidth;
    setFrame(screenBounds);
    CGFloat textWidth = panelWidth - 2 * kTextInset;
    CGFloat y = kPadding;
    CGSize titleSize = _titleLabel->sizeThatFits(textWidth);
    _titleLabel->setFrame(CGRectMake(kTextInset, y, textWidth, std::ceil(titleSize.height)));
    _titleLabel->setHidden(_title.isEmpty());
    if (!_title.isEmpty())
        y += std::ceil(titleSize.height);
    CGSize messageSize = _messageLabel->sizeThatFits(textWidth);
    if (!_message.isEmpty()) {
        if (!_title.isEmpty())
            y += kTitleMessageGap;
        _messageLabel->setFrame(CGRectMake(kTextInset, y, textWidth, std::ceil(messageSize.height)));
        y += std::ceil(messageSize.height);
    }
    _messageLabel->setHidden(_message.isEmpty());
    y += kPadding;

    auto* panel = static_cast<UIAlertPanel*>(_panel.get());
    panel->hairlines.clear();
    size_t count = _buttons.size();
    const CGFloat margin = look.alertButtonMargin, gap = look.alertButtonGap, height = look.alertButtonHeight;
    const CGFloat rowWidth = panelWidth - 2 * margin;
    // Two buttons sit side by side, the cancel button on the left; more stack one under another.
    if (count == 2) {
        CGFloat half = (rowWidth - gap) / 2;
        panel->hairlines.push_back(CGRectMake(0, y, panelWidth, 0.5));
        panel->hairlines.push_back(CGRectMake(panelWidth / 2 - CGFloat(0.25), y, 0.5, height));
        _buttons[0]->setFrame(CGRectMake(margin, y, half, height));
        _buttons[1]->setFrame(CGRectMake(margin + half + gap, y, half, height));
        y += height;
    } else {
        for (size_t i = 0; i < count; ++i) {
            // The cancel button goes last in a stack.
            size_t slot = (_cancelButtonIndex == 0 && count > 1) ? (i == 0 ? count - 1 : i - 1) : i;
            CGFloat top = y + (height + gap) * CGFloat(slot);
            panel->hairlines.push_back(CGRectMake(0, top, panelWidth, 0.5));
            _buttons[i]->setFrame(CGRectMake(margin, top, rowWidth, height));
        }
        if (count > 0)
            y += (height + gap) * CGFloat(count) - gap;
    }
    if (count > 0)
        y += margin;
    CGFloat panelHeight = y;
    panel->setFrame(CGRectMake(std::round((screenBounds.size.width - panelWidth) / 2),
        std::round((screenBounds.size.height - panelHeight) / 2), panelWidth, panelHeight));
}

void UIAlertView::animateVisibility(double from, double to, std::function<void()> completion)
{
    _animation = CAAnimationEngine::shared().add(
        kAppearDuration,
        [this, from, to](double t) {
            _presence = from + (to - from) * t;
            UIMarkNeedsDisplay();
        },
        std::move(completion), CAAnimationCurve::EaseOut);
}

void UIAlertView::show()
{
    if (_visible)
        return;
    _visible = true;
    _appearing = true;
    layoutForScreen(UIScreen::mainScreen().bounds());
    UIApplication::sharedApplication()->showAlert(retainSelf<UIAlertView>());
    animateVisibility(0, 1, nullptr);
}

void UIAlertView::buttonTapped(NSInteger index)
{
    dismissWithClickedButtonIndex(index, true);
}

void UIAlertView::dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated)
{
    if (_answered)
        return;
    _answered = true;
    _visible = false;
    _appearing = false;
    auto self = retainSelf<UIAlertView>();
    // The application stops holding the alert at once, so it takes no more taps; the fade-out and
    // the answer keep it alive until they are done.
    UIApplication::sharedApplication()->removeAlert(this);
    if (animated)
        animateVisibility(_presence, 0, [self] { });
    else
        _presence = 0;
    dispatchOnMainQueue([self, buttonIndex] {
        if (auto* delegate = self->delegate())
            delegate->alertView(*self, buttonIndex);
    });
}

void UIAlertView::drawAlert(render::Painter& painter)
{
    if (_presence <= 0)
        return;
    CGSize size = frame().size;
    painter.fillRect({ 0, 0, size.width, size.height }, { 0, 0, 0, kDimAlpha * _presence });
    painter.save();
    CGRect panel = _panel->frame();
    if (_appearing && _presence < 1) {
        double scale = kAppearScale + (1 - kAppearScale) * _presence;
        painter.translate(panel.midX(), panel.midY());
        painter.scaleBy(scale, scale);
        painter.translate(-panel.midX(), -panel.midY());
    }
    // The panel is frosted glass over the dimmed screen; the blur grows as the panel fades in.
    const UIKitLook& look = UIKitLook::current();
    painter.blurRegion({ panel.minX(), panel.minY(), panel.size.width, panel.size.height },
        look.backdropBlurRadius * std::min(_presence, 1.0), look.alertCornerRadius);
    // Only a panel on its way in or out needs a group of its own for its opacity; the group
    // covers the panel and no more.
    bool fading = _presence < 1;
    if (fading) {
        painter.clip({ panel.minX(), panel.minY(), panel.size.width, panel.size.height });
        painter.beginGroup();
    }
    _panel->drawHierarchy(painter);
    if (fading)
        painter.endGroup(_presence);
    painter.restore();
}
