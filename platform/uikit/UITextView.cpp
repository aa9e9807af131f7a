#include "platform/uikit/UITextView.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>

std::shared_ptr<UITextView> UITextView::create(CGRect frame)
{
    return std::shared_ptr<UITextView>(new UITextView(frame));
}

UITextView::UITextView(CGRect frame)
    : UIView(frame)
{
    setBackgroundColor(UIColor::whiteColor());
}

NSString UITextView::text() const
{
    return _attributedText ? _attributedText->string() : NSString();
}

void UITextView::setText(const std::optional<NSString>& text)
{
    NSDictionary attributes;
    if (_font)
        attributes[NSFontAttributeName] = *_font;
    attributes[NSForegroundColorAttributeName] = _textColor;
    _attributedText = NSAttributedString::initWithString(text.value_or(NSString()), attributes);
    _measuredHeight.reset();
    _contentOffset = 0;
    setNeedsDisplay();
}

void UITextView::setAttributedText(std::shared_ptr<NSAttributedString> text)
{
    _attributedText = std::move(text);
    _measuredHeight.reset();
    setNeedsDisplay();
}

bool UITextView::respondsToSetAttributedText() const
{
    return true;
}

void UITextView::setFont(const UIFont& font)
{
    _font = font;
    _measuredHeight.reset();
    setNeedsDisplay();
}

void UITextView::setTextColor(const UIColor& color)
{
    _textColor = color;
    setNeedsDisplay();
}

void UITextView::setTextAlignment(NSTextAlignment alignment)
{
    _textAlignment = alignment;
    setNeedsDisplay();
}

std::vector<UITextView::AttributeRun> UITextView::attributeRuns() const
{
    std::vector<AttributeRun> runs;
    if (!_attributedText)
        return runs;
    for (auto& run : _attributedText->runs()) {
        AttributeRun entry { run.range, std::nullopt, std::nullopt };
        if (auto* font = valueForKey<UIFont>(run.attributes, NSFontAttributeName))
            entry.font = *font;
        if (auto* color = valueForKey<UIColor>(run.attributes, NSForegroundColorAttributeName))
            entry.color = *color;
        runs.push_back(entry);
    }
    return runs;
}

namespace {

render::TextStyle styleFor(const UITextView& view, const UIFont& baseFont)
{
    render::TextStyle style;
    style.font = toRenderFont(baseFont);
    style.color = toRGBA(view.textColor());
    style.lineBreak = render::LineBreak::WordWrap;
    style.alignment = toRenderAlignment(view.textAlignment());
    NSString text = view.text();
    for (auto& run : view.attributeRuns()) {
        render::TextRun textRun;
        textRun.start = text.utf8OffsetOfIndex(run.range.location);
        textRun.end = text.utf8OffsetOfIndex(run.range.end());
        if (run.font)
            textRun.font = toRenderFont(*run.font);
        if (run.color)
            textRun.color = toRGBA(*run.color);
        style.runs.push_back(textRun);
    }
    return style;
}

} // namespace

CGFloat UITextView::contentHeight() const
{
    if (!_measuredHeight) {
        auto size = render::measureText(text().utf8(), styleFor(*this, effectiveFont()),
            std::max<CGFloat>(0, frame().size.width - 2 * kInsetSide));
        _measuredHeight = CGFloat(size.height) + 2 * kInsetTop;
    }
    return *_measuredHeight;
}

bool UITextView::scrollBy(CGFloat dy)
{
    CGFloat maximum = std::max<CGFloat>(0, contentHeight() - frame().size.height);
    CGFloat offset = std::clamp<CGFloat>(_contentOffset + dy, 0, maximum);
    if (offset == _contentOffset)
        return false;
    _contentOffset = offset;
    setNeedsDisplay();
    return true;
}

void UITextView::touchesBegan(CGPoint location)
{
    _dragY = location.y;
}

void UITextView::touchesMoved(CGPoint location)
{
    scrollBy(_dragY - location.y);
    _dragY = location.y;
}

void UITextView::drawContent(render::Painter& painter)
{
    if (text().isEmpty())
        return;
    CGRect b = bounds();
    painter.save();
    painter.clip({ 0, 0, b.size.width, b.size.height });
    // The inset scrolls with the text, so the first line starts kInsetTop below the top.
    painter.drawTextTopAligned(text().utf8(), { kInsetSide, 0, b.size.width - 2 * kInsetSide, b.size.height },
        styleFor(*this, effectiveFont()), _contentOffset - kInsetTop);
    painter.restore();
}

void UITextView::describe(UIViewDescription& description) const
{
    UIView::describe(description);
    std::string whole = text().utf8();
    description.set("text", whole);
    description.set("textColor", describeColor(_textColor));
    description.set("font", _font ? describeFont(*_font) : nullptr);
    description.set("textAlignment", int64_t(_textAlignment));
    description.set("editable", _editable);
    description.set("userInteractionEnabled", isUserInteractionEnabled());
    description.set("clipsToBounds", clipsToBounds());
    auto runs = UIPropertyValue::list();
    for (auto& run : attributeRuns()) {
        UIPropertyValue entry;
        entry.set("range", UIPropertyValue::List { int64_t(run.range.location), int64_t(run.range.length) });
        if (run.font)
            entry.set("font", describeFont(*run.font));
        if (run.color)
            entry.set("color", describeColor(*run.color));
        runs.append(std::move(entry));
    }
    description.set("attributeRuns", std::move(runs));
    description.selectorText = whole;
    // Messages and the console show the first line, shortened: a changelog is long.
    constexpr size_t kShownBytes = 40;
    std::string shown = whole.substr(0, whole.find('\n'));
    bool shortened = shown.size() < whole.size();
    if (shown.size() > kShownBytes) {
        size_t cut = kShownBytes;
        // Cut between characters, not inside one.
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut;
        shown.resize(cut);
        shortened = true;
    }
    description.detail = "\"" + shown + (shortened ? "…" : "") + "\"";
    description.consoleLine = "text: " + nameForDescription(description);
}
