#pragma once

#include "platform/foundation/NSAttributedString.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <optional>

// A scrollable view of wrapped text, plain or attributed. With editing off and user interaction
// on, the text can be scrolled (by dragging or the wheel) but not changed.
class UITextView : public UIView {
public:
    ZENTROVA_CLASS_NAME(UITextView)

    static std::shared_ptr<UITextView> create(CGRect frame = CGRectZero);

    // Setting plain text makes attributed text of it in the view's font and text colour.
    NSString text() const;
    void setText(const std::optional<NSString>& text);
    std::shared_ptr<NSAttributedString> attributedText() const { return _attributedText; }
    void setAttributedText(std::shared_ptr<NSAttributedString> text);
    // Whether this build's text view takes attributed text.
    bool respondsToSetAttributedText() const;

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

    CGFloat contentOffset() const { return _contentOffset; }
    CGFloat contentHeight() const;
    bool scrollBy(CGFloat dy) override;

    void touchesBegan(CGPoint location) override;
    void touchesMoved(CGPoint location) override;

    void describe(UIViewDescription& description) const override;

    static constexpr CGFloat kInsetTop = 8;
    static constexpr CGFloat kInsetSide = 5;

protected:
    explicit UITextView(CGRect frame);
    void drawContent(render::Painter& painter) override;

private:
    UIFont effectiveFont() const { return _font.value_or(UIFont::systemFontOfSize(12)); }

    std::shared_ptr<NSAttributedString> _attributedText;
    std::optional<UIFont> _font;
    UIColor _textColor = UIColor::blackColor();
    NSTextAlignment _textAlignment = NSTextAlignmentLeft;
    bool _editable = true;
    CGFloat _contentOffset = 0;
    mutable std::optional<CGFloat> _measuredHeight;
    CGFloat _dragY = 0;
};
