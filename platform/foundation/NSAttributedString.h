#pragma once

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <memory>
#include <vector>

// A string with runs of attributes. The runs cover the string from start to end without gaps; a
// run with an empty dictionary carries no attributes.
class NSAttributedString : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSAttributedString)

    struct Run {
        NSRange range;
        NSDictionary attributes;
    };

    static std::shared_ptr<NSAttributedString> initWithString(NSString string, NSDictionary attributes = { });

    const NSString& string() const { return _string; }
    NSUInteger length() const { return _string.length(); }
    const std::vector<Run>& runs() const { return _runs; }
    // The attributes at a character; empty past the end.
    NSDictionary attributesAtIndex(NSUInteger index) const;

protected:
    NSAttributedString() = default;

    NSString _string;
    std::vector<Run> _runs;
};

class NSMutableAttributedString final : public NSAttributedString {
public:
    ZENTROVA_CLASS_NAME(NSMutableAttributedString)

    // A copy with every attribute run of the original.
    static std::shared_ptr<NSMutableAttributedString> initWithAttributedString(const NSAttributedString& other);
    static std::shared_ptr<NSMutableAttributedString> initWithString(NSString string, NSDictionary attributes = { });

    // Replaces every attribute of the characters in the range with exactly the given set; the
    // range must lie within the string.
    void setAttributes(const NSDictionary& attributes, NSRange range);
    // Sets one attribute on the characters in the range, keeping their others.
    void addAttribute(const NSString& name, const std::any& value, NSRange range);

    // The smallest range that holds every change of attributes since the last call, which then
    // starts afresh; {NSNotFound, 0} when nothing changed. Whoever lays the text out reads it to
    // lay out again only what changed.
    NSRange takeEditedRange();

private:
    NSMutableAttributedString() = default;
    void coalesce();
    void noteEdit(NSRange range);

    NSRange _edited { static_cast<NSUInteger>(NSNotFound), 0 };
};
