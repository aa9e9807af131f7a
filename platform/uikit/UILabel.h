#pragma once

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/uikit/NSText.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIView.h"

#include <optional>

enum NSLineBreakMode : NSInteger {
    NSLineBreakByWordWrapping = 0,
    NSLineBreakByClipping = 2,
    NSLineBreakByTruncatingTail = 4,
    NSLineBreakByTruncatingMiddle = 5,
};

// One line of text, vertically centred in its bounds: the system font at 17 and black unless set,
// left-aligned on a clear background, truncated at the tail.
class UILabel : public UIView {
public:
    ZENTROVA_CLASS_NAME(UILabel)

    static std::shared_ptr<UILabel> create(CGRect frame = CGRectZero);

    const NSString& text() const { return _text; }
    void setText(const NSString& text);
    const UIFont& font() const { return _font; }
    void setFont(const UIFont& font);
    const UIColor& textColor() const { return _textColor; }
    void setTextColor(const UIColor& color);
    NSTextAlignment textAlignment() const { return _textAlignment; }
    void setTextAlignment(NSTextAlignment alignment);
    // 1 draws one line; 0 wraps the text over as many lines as it needs.
    NSInteger numberOfLines() const { return _numberOfLines; }
    void setNumberOfLines(NSInteger lines);
    // The size the text needs when laid out in the given width (wrapping labels) or on one line.
    CGSize sizeThatFits(CGFloat width) const;
    NSLineBreakMode lineBreakMode() const { return _lineBreakMode; }
    void setLineBreakMode(NSLineBreakMode mode);
    // The distance from one wrapped line to the next, in points; 0, the default, keeps the font's
    // own. Apps set this through a paragraph style; the platform's own views set it directly.
    CGFloat lineHeight() const { return _lineHeight; }
    void setLineHeight(CGFloat lineHeight);
    // A copy of the text in this colour one point above it, as if engraved; none by default.
    const std::optional<UIColor>& shadowColor() const { return _shadowColor; }
    void setShadowColor(std::optional<UIColor> color);

    // Draws a text into a rectangle of the painter's current space in the label's font, alignment
    // and line-break mode, with the colour given (buttons draw their titles this way).
    void drawText(render::Painter& painter, const NSString& text, CGRect rect, const UIColor& color) const;

    void describe(UIViewDescription& description) const override;

protected:
    explicit UILabel(CGRect frame)
        : UIView(frame)
    {
        setBackgroundColor(UIColor::clearColor());
    }
    void drawContent(render::Painter& painter) override;

private:
    NSString _text;
    UIFont _font = UIFont::systemFontOfSize(17);
    UIColor _textColor = UIColor::blackColor();
    NSTextAlignment _textAlignment = NSTextAlignmentLeft;
    NSLineBreakMode _lineBreakMode = NSLineBreakByTruncatingTail;
    NSInteger _numberOfLines = 1;
    CGFloat _lineHeight = 0;
    std::optional<UIColor> _shadowColor;
};
