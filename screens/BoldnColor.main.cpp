#include "screens/BoldnColor.main.h"

#include "platform/foundation/NSAttributedString.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UITextView.h"

namespace BoldnColor {

void boldRange(UITextView& textView, NSRange range, const UIColor& withColor)
{
    if (!textView.respondsToSelector("setAttributedText:"))
        return;
    // The view's own copy of its text takes the emphasis in place, every run it has kept (plain
    // text has none): a screen that emphasises several headings copies a long text once, not once
    // a heading, and only the part of it that changed is laid out again.
    std::any objects[] = { UIFont::boldSystemFontOfSize(16.0), withColor };
    NSString keys[] = { NSFontAttributeName, NSForegroundColorAttributeName };
    textView.textStorage().setAttributes(dictionaryWithObjects(objects, keys, 2), range);
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
