#include "platform/uikit/UITextView.h"

#include "platform/render/Painter.h"
#include "platform/render/TextLayout.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIViewDescription.h"

#include <algorithm>
#include <cmath>

namespace {
// The tint blue, faint, behind selected text.
constexpr UIColor kSelectionColor = kSystemTintColor.colorWithAlphaComponent(CGFloat(0.2));
}

std::shared_ptr<UITextView> UITextView::create(CGRect frame)
{
    return std::shared_ptr<UITextView>(new UITextView(frame));
}

UITextView::UITextView(CGRect frame)
    : UIView(frame)
{
    setBackgroundColor(UIColor::whiteColor());
}

UITextView::~UITextView() = default;

bool UITextView::respondsToSelector(std::string_view selector) const
{
    return selector == "setAttributedText:" || selector == "attributedText" || selector == "setText:" || selector == "text";
}

const NSString& UITextView::text() const
{
    static const NSString kEmpty;
    return _attributedText ? _attributedText->string() : kEmpty;
}

void UITextView::setText(std::optional<NSString> text)
{
    NSDictionary attributes;
    if (_font)
        attributes[NSFontAttributeName] = *_font;
    attributes[NSForegroundColorAttributeName] = _textColor;
    // The characters move into the view: a long file is held once.
    _ownText = NSMutableAttributedString::initWithString(text ? std::move(*text) : NSString(), attributes);
    _attributedText = _ownText;
    _contentOffset = { 0, 0 };
    textDidChange();
}

std::shared_ptr<NSAttributedString> UITextView::attributedText() const
{
    // Once handed out the text is no longer the view's alone: the next change copies it first.
    _ownText.reset();
    return _attributedText;
}

void UITextView::setAttributedText(std::shared_ptr<NSAttributedString> text)
{
    _attributedText = std::move(text);
    _ownText.reset();
    textDidChange();
}

NSMutableAttributedString& UITextView::textStorage()
{
    if (!_ownText) {
        _ownText = _attributedText ? NSMutableAttributedString::initWithAttributedString(*_attributedText)
                                   : NSMutableAttributedString::initWithString(NSString());
        _ownText->takeEditedRange();
        _attributedText = _ownText;
        // The layout reads the characters where they are kept, and the copy keeps them elsewhere.
        _layout.reset();
    }
    setNeedsDisplay();
    return *_ownText;
}

void UITextView::textDidChange()
{
    _selectedRange = { 0, 0 };
    layoutDidChange();
}

void UITextView::layoutDidChange()
{
    // Laid out again when next needed, so that a run of changes costs one layout.
    _layout.reset();
    setNeedsDisplay();
}

void UITextView::setAttributeOnWholeText(const NSString& name, std::any value)
{
    if (!_attributedText || !_attributedText->length())
        return;
    NSMutableAttributedString& text = textStorage();
    text.addAttribute(name, value, { 0, text.length() });
}

void UITextView::setFont(const UIFont& font)
{
    _font = font;
    setAttributeOnWholeText(NSFontAttributeName, font);
    layoutDidChange();
}

void UITextView::setTextColor(const UIColor& color)
{
    _textColor = color;
    setAttributeOnWholeText(NSForegroundColorAttributeName, color);
    layoutDidChange();
}

void UITextView::setTextAlignment(NSTextAlignment alignment)
{
    if (alignment == _textAlignment)
        return;
    _textAlignment = alignment;
    layoutDidChange();
}

void UITextView::setFrame(CGRect frame)
{
    bool widthChanged = frame.size.width != this->frame().size.width;
    UIView::setFrame(frame);
    if (widthChanged)
        layoutDidChange();
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

CGFloat UITextView::layoutWidth() const
{
    return std::max<CGFloat>(0, frame().size.width - 2 * kLinePadding);
}

namespace {

std::vector<render::UnitRun> unitRuns(const std::vector<UITextView::AttributeRun>& runs)
{
    std::vector<render::UnitRun> converted;
    converted.reserve(runs.size());
    for (auto& run : runs) {
        if (!run.font && !run.color)
            continue;
        render::UnitRun unitRun { run.range.location, run.range.end(), std::nullopt, std::nullopt };
        if (run.font)
            unitRun.font = toRenderFont(*run.font);
        if (run.color)
            unitRun.color = toRGBA(*run.color);
        converted.push_back(unitRun);
    }
    return converted;
}

} // namespace

render::TextLayout* UITextView::layout() const
{
    if (!_attributedText || !_attributedText->length())
        return nullptr;
    NSRange edited = _ownText ? _ownText->takeEditedRange() : NSRange { static_cast<NSUInteger>(NSNotFound), 0 };
    if (_layout) {
        // Attributes changed in place: only the parts of the text they touch are laid out again.
        if (edited.location != static_cast<NSUInteger>(NSNotFound))
            _layout->setRuns(unitRuns(attributeRuns()), edited.location, edited.end());
        return _layout.get();
    }
    render::TextStyle style;
    style.font = toRenderFont(effectiveFont());
    style.color = toRGBA(_textColor);
    style.alignment = toRenderAlignment(_textAlignment);
    _layout = render::TextLayout::create(_attributedText->string().utf16(), style, unitRuns(attributeRuns()), layoutWidth());
    return _layout.get();
}

void UITextView::layOutAroundOffset() const
{
    auto* laidOut = layout();
    if (!laidOut)
        return;
    // What is in view and about a screen more. Where the heights above the view change as they
    // are measured, the offset moves with them; a view scrolled to the end stays at the end.
    CGFloat height = frame().size.height;
    bool atEnd = _contentOffset.y > 0 && _contentOffset.y >= maximumOffset();
    for (int pass = 0; pass < 16; ++pass) {
        double top = _contentOffset.y - kInsetTop;
        auto refinement = laidOut->layOutBetween(top - height / 2, top + 1.5 * height, top);
        CGFloat maximum = maximumOffset();
        _contentOffset.y = atEnd ? maximum : std::clamp<CGFloat>(_contentOffset.y + CGFloat(refinement.shiftAbove), 0, maximum);
        if (!refinement.measuredAny)
            break;
    }
}

CGFloat UITextView::maximumOffset() const
{
    auto* laidOut = _layout.get();
    CGFloat content = CGFloat(laidOut ? laidOut->height() : 0) + kInsetTop + kInsetBottom;
    return std::max<CGFloat>(0, content - frame().size.height);
}

size_t UITextView::lineCount() const
{
    auto* laidOut = layout();
    if (!laidOut)
        return 0;
    laidOut->layOutEverything();
    return laidOut->lineCount();
}

CGFloat UITextView::contentHeight() const
{
    layOutAroundOffset();
    auto* laidOut = layout();
    return CGFloat(laidOut ? laidOut->height() : 0) + kInsetTop + kInsetBottom;
}

bool UITextView::contentHeightIsExact() const
{
    auto* laidOut = layout();
    return !laidOut || laidOut->isExact();
}

void UITextView::setContentOffset(CGPoint offset)
{
    CGPoint before = _contentOffset;
    layOutAroundOffset();
    // Where the view comes to rest is laid out too, which may refine the heights above it.
    _contentOffset = { 0, std::clamp<CGFloat>(offset.y, 0, maximumOffset()) };
    layOutAroundOffset();
    if (_contentOffset != before)
        setNeedsDisplay();
}

bool UITextView::scrollBy(CGFloat dy)
{
    CGPoint before = _contentOffset;
    setContentOffset({ 0, _contentOffset.y + dy });
    return _contentOffset != before;
}

void UITextView::setSelectedRange(NSRange range)
{
    NSUInteger length = _attributedText ? _attributedText->length() : 0;
    range.location = std::min(range.location, length);
    range.length = std::min(range.length, length - range.location);
    if (range == _selectedRange)
        return;
    _selectedRange = range;
    if (range.length)
        UIApplication::sharedApplication()->setFirstResponder(this);
    setNeedsDisplay();
}

bool UITextView::selectTextRange(NSRange range)
{
    NSUInteger length = _attributedText ? _attributedText->length() : 0;
    if (range.location > length || range.length > length - range.location)
        return false;
    setSelectedRange(range);
    return true;
}

bool UITextView::copy()
{
    if (!_selectedRange.length || !_attributedText)
        return false;
    UIPasteboard::generalPasteboard().setString(_attributedText->string().substringWithRange(_selectedRange));
    return true;
}

NSUInteger UITextView::characterIndexAtPoint(CGPoint point) const
{
    auto* laidOut = layout();
    if (!laidOut)
        return 0;
    return NSUInteger(laidOut->indexAtPoint(point.x - kLinePadding, point.y + _contentOffset.y - kInsetTop));
}

void UITextView::cancelLongPress()
{
    _longPress.cancel();
}

void UITextView::beginSelectingAt(CGPoint location)
{
    auto* laidOut = layout();
    if (!laidOut)
        return;
    size_t index = laidOut->indexAtPoint(location.x - kLinePadding, location.y + _contentOffset.y - kInsetTop);
    auto [start, end] = laidOut->wordAt(index);
    _selectionAnchor = { NSUInteger(start), NSUInteger(end - start) };
    _touch = Touch::Selecting;
    setSelectedRange(_selectionAnchor);
}

void UITextView::extendSelectionTo(CGPoint location)
{
    NSUInteger index = characterIndexAtPoint(location);
    NSUInteger start = std::min(index, _selectionAnchor.location);
    NSUInteger end = std::max(index, _selectionAnchor.end());
    setSelectedRange({ start, end - start });
}

void UITextView::touchesBegan(CGPoint location)
{
    cancelLongPress();
    _touch = Touch::Pressing;
    _touchStart = location;
    _lastTouchY = location.y;
    // A finger that rests on a word selects it.
    _longPress = CAAnimationEngine::shared().add(kLongPressDuration, [](double) { }, [this] {
        if (_touch == Touch::Pressing)
            beginSelectingAt(_touchStart);
    });
}

void UITextView::touchesMoved(CGPoint location)
{
    switch (_touch) {
    case Touch::None:
        return;
    case Touch::Selecting:
        extendSelectionTo(location);
        return;
    case Touch::Pressing:
        if (std::hypot(location.x - _touchStart.x, location.y - _touchStart.y) < kLongPressSlop)
            return;
        cancelLongPress();
        _touch = Touch::Scrolling;
        [[fallthrough]];
    case Touch::Scrolling:
        scrollBy(_lastTouchY - location.y);
        _lastTouchY = location.y;
        return;
    }
}

void UITextView::touchesEnded(CGPoint location)
{
    cancelLongPress();
    // A short tap puts the selection away.
    if (_touch == Touch::Pressing)
        setSelectedRange({ 0, 0 });
    _touch = Touch::None;
}

void UITextView::touchesCancelled()
{
    cancelLongPress();
    _touch = Touch::None;
}

void UITextView::drawContent(render::Painter& painter)
{
    auto* laidOut = layout();
    if (!laidOut)
        return;
    // Also brings the offset back within a shorter text or a taller frame.
    layOutAroundOffset();
    CGRect b = bounds();
    painter.save();
    painter.clip({ 0, 0, b.size.width, b.size.height });
    // The inset scrolls with the text: the first line starts kInsetTop below the content's top.
    double originY = kInsetTop - _contentOffset.y;
    double top = -originY;
    double bottom = top + b.size.height;
    if (_selectedRange.length)
        painter.fillTextRange(*laidOut, kLinePadding, originY, _selectedRange.location, _selectedRange.end(), top, bottom,
            toRGBA(kSelectionColor));
    painter.drawTextLayout(*laidOut, kLinePadding, originY, top, bottom, toRGBA(_textColor));
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
    description.set("contentOffset", UIPropertyValue::List { double(_contentOffset.x), double(_contentOffset.y) });
    description.set("selectedRange", UIPropertyValue::List { int64_t(_selectedRange.location), int64_t(_selectedRange.length) });
    auto runs = UIPropertyValue::list();
    for (auto& run : attributeRuns()) {
        UIPropertyValue entry;
        entry.set("range", UIPropertyValue::List { int64_t(run.range.location), int64_t(run.range.length) });
        entry.set("font", run.font ? describeFont(*run.font) : nullptr);
        entry.set("color", run.color ? describeColor(*run.color) : nullptr);
        runs.append(std::move(entry));
    }
    description.set("attributeRuns", std::move(runs));
    description.selectorText = whole;
    // Messages and the console show the first line, shortened: a changelog is long.
    constexpr size_t kShownBytes = 40;
    std::string shown = whole.substr(0, whole.find('\n'));
    // An ellipsis says there is more to read; line breaks at the end are nothing more.
    bool shortened = whole.find_first_not_of(" \t\r\n", shown.size()) != std::string::npos;
    if (shown.size() > kShownBytes) {
        size_t cut = kShownBytes;
        // Cut between characters, not inside one.
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut;
        shown.resize(cut);
        shortened = true;
    }
    if (shortened)
        shown += "…";
    description.detail = "\"" + shown + "\"";
    // Where the reader is: how far down the content is scrolled, out of how far it can be. Until
    // every part of a long text has been in view its height is partly estimated, and says so.
    CGFloat scrollable = std::max<CGFloat>(0, contentHeight() - frame().size.height);
    auto points = [](CGFloat value) { return std::to_string(int64_t(std::lround(value))); };
    std::string of = contentHeightIsExact() ? " of " : " of about ";
    std::string position
        = scrollable <= 0 ? "all shown" : "scrolled " + points(_contentOffset.y) + of + points(scrollable) + " pt";
    description.consoleLine = consoleLine("text", { description.identifierWord(), consoleQuoted(shown), position });
}
