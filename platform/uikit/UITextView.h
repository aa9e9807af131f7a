#pragma once

#include "platform/foundation/NSAttributedString.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/NSText.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <optional>
#include <string_view>

namespace render {
class TextLayout;
}

// A scrollable view of wrapped text, plain or attributed, drawn as iOS 7 draws it: 8 points of
// inset above and below the text and 5 points of padding at either side of each line.
//
// The text is laid out as it comes into view (render::TextLayout): what is shown and about a
// screen more, so that opening or scrolling a long text costs what a screen of it costs. Parts not
// laid out yet have estimated heights, so the content height, and with it how far the view can
// scroll, is exact once every part has been in view and an estimate before that; as parts are
// measured the offset moves with them, so that what is shown stays where it is. With editing off
// and user interaction on, the user scrolls by dragging or with the wheel, and selects by holding
// a finger on a word and then dragging; the selection can be copied but nothing typed changes the
// text.
class UITextView : public UIView {
public:
    ZENTROVA_CLASS_NAME(UITextView)

    static std::shared_ptr<UITextView> create(CGRect frame = CGRectZero);
    ~UITextView() override;

    bool respondsToSelector(std::string_view selector) const override;

    // Setting plain text makes attributed text of it in the view's font and text colour.
    const NSString& text() const;
    void setText(std::optional<NSString> text);
    // The text is shared, not copied: the view shows it as it is when the view next lays it out,
    // so a caller changes it through textStorage() rather than behind the view's back.
    std::shared_ptr<NSAttributedString> attributedText() const;
    void setAttributedText(std::shared_ptr<NSAttributedString> text);
    // The view's own mutable copy of its text, made the first time it is asked for after the text
    // was set or handed out: attribute changes made to it show at the next frame, and only the
    // parts of the text they touch are laid out again.
    NSMutableAttributedString& textStorage();

    // Setting the font or the text colour sets it on the whole text, as the platform does.
    const std::optional<UIFont>& font() const { return _font; }
    void setFont(const UIFont& font);
    const UIColor& textColor() const { return _textColor; }
    void setTextColor(const UIColor& color);
    NSTextAlignment textAlignment() const { return _textAlignment; }
    void setTextAlignment(NSTextAlignment alignment);
    bool isEditable() const { return _editable; }
    void setEditable(bool editable) { _editable = editable; }

    // The runs of font and colour the text is drawn with, in UTF-16 ranges.
    struct AttributeRun {
        NSRange range;
        std::optional<UIFont> font;
        std::optional<UIColor> color;
    };
    std::vector<AttributeRun> attributeRuns() const;

    void setFrame(CGRect frame) override;

    // Scrolling: the offset of the visible part from the top of the content, kept within it.
    CGPoint contentOffset() const { return _contentOffset; }
    void setContentOffset(CGPoint offset);
    // The height of the text with its insets: exact where the text has been laid out, estimated
    // for the rest (see contentHeightIsExact).
    CGFloat contentHeight() const;
    bool contentHeightIsExact() const;
    bool scrollBy(CGFloat dy) override;

    // The selection, in UTF-16 units; length 0 when nothing is selected. A range reaching past
    // the end of the text is cut back to it.
    NSRange selectedRange() const { return _selectedRange; }
    void setSelectedRange(NSRange range);
    bool selectTextRange(NSRange range) override;
    bool copy() override;
    // Tab stops at the text so that the scrolling keys have a place to go; Space scrolls it.
    bool canBecomeFocused() const override { return true; }
    bool performPrimaryAction(const void*) override { return false; }

    void touchesBegan(CGPoint location) override;
    void touchesMoved(CGPoint location) override;
    void touchesEnded(CGPoint location) override;
    void touchesCancelled() override;

    // The index of the character nearest to a point of the view.
    NSUInteger characterIndexAtPoint(CGPoint point) const;
    // How many lines the text has, laying out the whole of it: for tests and tools.
    size_t lineCount() const;

    void describe(UIViewDescription& description) const override;

    static constexpr CGFloat kInsetTop = 8;
    static constexpr CGFloat kInsetBottom = 8;
    static constexpr CGFloat kLinePadding = 5;
    // How long a finger rests before the word under it is selected, and how far it may wander
    // meanwhile before the touch becomes a scroll.
    static constexpr double kLongPressDuration = 0.5;
    static constexpr CGFloat kLongPressSlop = 10;

protected:
    explicit UITextView(CGRect frame);
    void drawContent(render::Painter& painter) override;

private:
    UIFont effectiveFont() const { return _font.value_or(UIFont::systemFontOfSize(12)); }
    CGFloat layoutWidth() const;
    render::TextLayout* layout() const;
    void layOutAroundOffset() const;
    CGFloat maximumOffset() const;
    void textDidChange();
    void layoutDidChange();
    void setAttributeOnWholeText(const NSString& name, std::any value);
    void cancelLongPress();
    void beginSelectingAt(CGPoint location);
    void extendSelectionTo(CGPoint location);

    std::shared_ptr<NSAttributedString> _attributedText;
    // The same text while it is the view's own and nobody else holds it: it can be changed in place.
    mutable std::shared_ptr<NSMutableAttributedString> _ownText;
    std::optional<UIFont> _font;
    UIColor _textColor = UIColor::blackColor();
    NSTextAlignment _textAlignment = NSTextAlignmentLeft;
    bool _editable = true;
    // Laying out moves the offset with the heights measured above it, whenever that happens.
    mutable CGPoint _contentOffset { 0, 0 };
    NSRange _selectedRange { 0, 0 };

    mutable std::unique_ptr<render::TextLayout> _layout;

    enum class Touch {
        None,
        Pressing,
        Scrolling,
        Selecting,
    };
    Touch _touch = Touch::None;
    CGPoint _touchStart { 0, 0 };
    CGFloat _lastTouchY = 0;
    NSRange _selectionAnchor { 0, 0 };
    CAAnimationHandle _longPress;
};
