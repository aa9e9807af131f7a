#include "platform/uikit/UIButton.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIViewDescription.h"

namespace {
constexpr double kPressedOpacity = 0.2;
constexpr double kReleaseFadeDuration = 0.25;
constexpr double kPressedImageDarkening = 0.3;
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    return std::shared_ptr<UIButton>(new UIButton(type));
}

UIButton::UIButton(UIButtonType type)
    : UIControl(CGRectZero)
    , _buttonType(type)
    , _titleLabel(UILabel::create())
{
    _titleLabel->setFont(UIFont::systemFontOfSize(type == UIButtonTypeSystem ? 15 : 18));
    _titleLabel->setTextAlignment(NSTextAlignmentCenter);
    _titleLabel->setLineBreakMode(NSLineBreakByTruncatingMiddle);
}

void UIButton::setTitle(const NSString& title, UIControlState forState)
{
    _titles[forState] = title;
    setNeedsDisplay();
}

std::optional<NSString> UIButton::titleForState(UIControlState state) const
{
    if (auto it = _titles.find(state); it != _titles.end())
        return it->second;
    if (auto it = _titles.find(UIControlStateNormal); it != _titles.end())
        return it->second;
    return std::nullopt;
}

void UIButton::setTitleColor(const UIColor& color, UIControlState forState)
{
    _titleColors[forState] = color;
    setNeedsDisplay();
}

std::optional<UIColor> UIButton::titleColorForState(UIControlState state) const
{
    if (auto it = _titleColors.find(state); it != _titleColors.end())
        return it->second;
    if (auto it = _titleColors.find(UIControlStateNormal); it != _titleColors.end())
        return it->second;
    return std::nullopt;
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState forState)
{
    _images[forState] = std::move(image);
    setNeedsDisplay();
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const
{
    if (auto it = _images.find(state); it != _images.end() && it->second)
        return it->second;
    if (auto it = _images.find(UIControlStateNormal); it != _images.end())
        return it->second;
    return nullptr;
}

NSString UIButton::currentTitle() const
{
    return titleForState(currentState()).value_or(NSString());
}

UIColor UIButton::currentTitleColor() const
{
    if (auto color = titleColorForState(currentState()))
        return *color;
    return _buttonType == UIButtonTypeSystem ? kSystemTintColor : UIColor::whiteColor();
}

void UIButton::highlightDidChange()
{
    if (_buttonType != UIButtonTypeSystem)
        return;
    _fade.cancel();
    if (isHighlighted()) {
        _titleOpacity = kPressedOpacity;
        return;
    }
    _fade = CAAnimationEngine::shared().add(kReleaseFadeDuration, [this](double t) {
        _titleOpacity = kPressedOpacity + (1 - kPressedOpacity) * t;
        setNeedsDisplay();
    });
}

void UIButton::drawContent(render::Painter& painter)
{
    CGRect content = bounds();
    if (auto image = imageForState(currentState())) {
        CGSize size = image->size();
        render::Rect destination { content.midX() - size.width / 2, content.midY() - size.height / 2, size.width,
            size.height };
        // A pressed custom button darkens its image, as the platform does.
        bool darkened = _buttonType == UIButtonTypeCustom && isHighlighted();
        painter.drawImage(image->renderImage(), destination, _buttonType == UIButtonTypeSystem ? _titleOpacity : 1,
            darkened ? kPressedImageDarkening : 0);
    }
    NSString title = currentTitle();
    if (title.isEmpty())
        return;
    UIColor color = currentTitleColor();
    if (_buttonType == UIButtonTypeSystem)
        color = color.colorWithAlphaComponent(CGFloat(color.alpha() * _titleOpacity));
    _titleLabel->drawText(painter, title, content, color);
}

void UIButton::describe(UIViewDescription& description) const
{
    UIControl::describe(description);
    auto title = titleForState(UIControlStateNormal);
    description.set("buttonType", int64_t(_buttonType));
    description.set("title", title ? UIPropertyValue(title->utf8()) : nullptr);
    description.set("titleColor", describeColor(titleColorForState(UIControlStateNormal)));
    description.set("font", describeFont(_titleLabel->font()));
    auto image = imageForState(UIControlStateNormal);
    if (image) {
        UIPropertyValue size;
        size.set("width", image->size().width);
        size.set("height", image->size().height);
        description.set("image", std::move(size));
    } else {
        description.set("image", nullptr);
    }
    description.selectorText = currentTitle().utf8();
    description.detail = title ? "\"" + title->utf8() + "\"" : std::string();
    // A picture is told by its size in pixels, the one thing about it that a console can show.
    std::string picture;
    if (image)
        picture = "image " + std::to_string(image->renderImage().width()) + "x"
            + std::to_string(image->renderImage().height()) + " px";
    description.consoleLine = consoleLine("button",
        { title && !title->isEmpty() ? consoleQuoted(title->utf8()) : std::string(), description.identifierWord(), picture });
}
