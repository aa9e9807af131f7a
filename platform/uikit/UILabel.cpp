#include "platform/uikit/UILabel.h"

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIViewDescription.h"

namespace {

render::TextStyle textStyle(const UILabel& label, const UIColor& color)
{
    render::TextStyle style;
    style.font = toRenderFont(label.font());
    style.color = toRGBA(color);
    style.alignment = toRenderAlignment(label.textAlignment());
    switch (label.lineBreakMode()) {
    case NSLineBreakByWordWrapping:
        style.lineBreak = render::LineBreak::WordWrap;
        break;
    case NSLineBreakByClipping:
        style.lineBreak = render::LineBreak::SingleLineClip;
        break;
    case NSLineBreakByTruncatingMiddle:
        style.lineBreak = render::LineBreak::SingleLineTruncateMiddle;
        break;
    case NSLineBreakByTruncatingTail:
        style.lineBreak = render::LineBreak::SingleLineTruncateTail;
        break;
    }
    if (label.numberOfLines() == 0)
        style.lineBreak = render::LineBreak::WordWrap;
    style.lineHeight = label.lineHeight();
    if (label.shadowColor())
        style.shadow = render::TextShadow { toRGBA(*label.shadowColor()), 0, -1 };
    return style;
}

} // namespace

std::shared_ptr<UILabel> UILabel::create(CGRect frame)
{
    return std::shared_ptr<UILabel>(new UILabel(frame));
}

void UILabel::setText(const NSString& text)
{
    _text = text;
    setNeedsDisplay();
}

void UILabel::setFont(const UIFont& font)
{
    _font = font;
    setNeedsDisplay();
}

void UILabel::setTextColor(const UIColor& color)
{
    _textColor = color;
    setNeedsDisplay();
}

void UILabel::setTextAlignment(NSTextAlignment alignment)
{
    _textAlignment = alignment;
    setNeedsDisplay();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode)
{
    _lineBreakMode = mode;
    setNeedsDisplay();
}

void UILabel::setNumberOfLines(NSInteger lines)
{
    _numberOfLines = lines;
    setNeedsDisplay();
}

void UILabel::setLineHeight(CGFloat lineHeight)
{
    _lineHeight = lineHeight > 0 ? lineHeight : 0;
    setNeedsDisplay();
}

void UILabel::setShadowColor(std::optional<UIColor> color)
{
    _shadowColor = color;
    setNeedsDisplay();
}

CGSize UILabel::sizeThatFits(CGFloat width) const
{
    auto size = render::measureText(_text.utf8(), textStyle(*this, _textColor), _numberOfLines == 0 ? width : -1);
    return { CGFloat(size.width), CGFloat(size.height) };
}

void UILabel::drawText(render::Painter& painter, const NSString& text, CGRect rect, const UIColor& color) const
{
    if (text.isEmpty())
        return;
    auto style = textStyle(*this, color);
    painter.drawText(text.utf8(), { rect.origin.x, rect.origin.y, rect.size.width, rect.size.height }, style);
}

void UILabel::drawContent(render::Painter& painter)
{
    drawText(painter, _text, bounds(), _textColor);
}

void UILabel::describe(UIViewDescription& description) const
{
    UIView::describe(description);
    description.set("text", _text.utf8());
    description.set("textColor", describeColor(_textColor));
    description.set("font", describeFont(_font));
    description.set("textAlignment", int64_t(_textAlignment));
    // The title label of a control is found through the control.
    if (!dynamic_cast<const UIControl*>(superview()))
        description.selectorText = _text.utf8();
    description.detail = "\"" + _text.utf8() + "\"";
    description.consoleLine = consoleLine("label", { consoleQuoted(_text.utf8()), description.identifierWord() });
}
