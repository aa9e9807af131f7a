#include "screens/BoldnColor.h"

#include "platform/foundation/NSAttributedString.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UITextView.h"

namespace BoldnColor {

void boldRange(UITextView& textView, NSRange range, const UIColor& withColor)
{
    if (!textView.respondsToSelector("setAttributedText:"))
        return;
    // A copy of the attributed text keeps every run the view has; plain text starts with none.
    std::shared_ptr<NSMutableAttributedString> text = textView.attributedText()
        ? NSMutableAttributedString::initWithAttributedString(*textView.attributedText())
        : NSMutableAttributedString::initWithString(textView.text());
    std::any objects[] = { UIFont::boldSystemFontOfSize(16.0), withColor };
    NSString keys[] = { NSFontAttributeName, NSForegroundColorAttributeName };
    text->setAttributes(dictionaryWithObjects(objects, keys, 2), range);
    textView.setAttributedText(text);
}

void boldSubstring(UITextView& textView, const std::optional<NSString>& substring,
    const std::optional<UIColor>& withColor)
{
    if (!substring)
        return;
    NSRange range = textView.text().rangeOfString(*substring);
    UIColor color = withColor.value_or(kDefaultColor);
    if (range.location == static_cast<NSUInteger>(NSNotFound))
        return;
    boldRange(textView, range, color);
}

} // namespace BoldnColor
