#pragma once

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"

#include <optional>

class UITextView;

// Emphasis for a text view's text: the bold system font at 16 points in a colour. Only the main
// build has it, so only files of the main build include this; the legacy build shows its text in
// one face and links none of this.
namespace BoldnColor {

// The colour boldSubstring uses when none is given.
inline constexpr UIColor kDefaultColor = kSystemTintColor;

// Replaces every attribute of the characters in the range (UTF-16 units, wholly inside the text)
// with the emphasis; the characters outside keep theirs. Does nothing to a view that cannot take
// attributed text.
void boldRange(UITextView& textView, NSRange range, const UIColor& withColor);

// Emphasises the first occurrence of the substring, found exactly and case-sensitively; nothing
// changes when the substring is none or does not occur.
void boldSubstring(UITextView& textView, const std::optional<NSString>& substring,
    const std::optional<UIColor>& withColor);

} // namespace BoldnColor
