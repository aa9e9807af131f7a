#include "screens/BoldnColor.main.h"

#include "platform/foundation/NSAttributedString.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UITextView.h"

#include <gtest/gtest.h>

namespace {

const UIFont kBold16 = UIFont::boldSystemFontOfSize(16);
const UIFont kRegular = UIFont::fontWithName("Helvetica", 16);

std::shared_ptr<UITextView> textViewWith(const char* text)
{
    auto view = UITextView::create();
    view->setFont(kRegular);
    view->setText(NSString(text));
    return view;
}

// The runs of a view as (location, length, bold?, colour) for compact expectations.
struct Span {
    NSUInteger location;
    NSUInteger length;
    bool emphasised;
    std::optional<UIColor> color;
    bool operator==(const Span&) const = default;
};

std::vector<Span> spans(const UITextView& view)
{
    std::vector<Span> result;
    for (auto& run : view.attributeRuns())
        result.push_back({ run.range.location, run.range.length, run.font == kBold16, run.color });
    return result;
}

std::ostream& operator<<(std::ostream& out, const Span& span)
{
    return out << "{" << span.location << "," << span.length << (span.emphasised ? ",bold" : ",regular") << "}";
}

TEST(BoldnColor, FirstOccurrenceOnlyAnywhereInALineAndCaseSensitive)
{
    auto view = textViewWith("Intro Version 1.0: middle\nVersion 1.0: again\nversion 2.0:");
    BoldnColor::boldSubstring(*view, NSString("Version 1.0:"), std::nullopt);
    BoldnColor::boldSubstring(*view, NSString("Version 2.0:"), UIColor::redColor());
    auto runs = spans(*view);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1], (Span { 6, 12, true, BoldnColor::kDefaultColor }));
    EXPECT_FALSE(runs[0].emphasised);
    EXPECT_FALSE(runs[2].emphasised);
}

TEST(BoldnColor, NothingChangesForAMissingOrNoSubstringOrAnEmptyText)
{
    auto view = textViewWith("Version 3.0:");
    auto before = view->attributedText();
    BoldnColor::boldSubstring(*view, NSString("Version 9.9:"), UIColor::redColor());
    BoldnColor::boldSubstring(*view, std::nullopt, UIColor::redColor());
    EXPECT_EQ(view->attributedText(), before);

    auto empty = textViewWith("");
    auto emptyBefore = spans(*empty);
    BoldnColor::boldSubstring(*empty, NSString("Version 3.0:"), std::nullopt);
    EXPECT_EQ(spans(*empty), emptyBefore);
    EXPECT_EQ(empty->text(), NSString(""));
}

TEST(BoldnColor, AttributesAreReplacedNotMerged)
{
    auto view = UITextView::create();
    // A run with a font, a colour and a third attribute; the emphasis covers part of it.
    NSDictionary regular;
    regular[NSFontAttributeName] = kRegular;
    regular[NSForegroundColorAttributeName] = UIColor::greenColor();
    regular[NSString("NSUnderline")] = 1;
    view->setAttributedText(NSAttributedString::initWithString(NSString("aaaa bbbb cccc"), regular));
    BoldnColor::boldRange(*view, { 5, 4 }, UIColor::redColor());
    auto text = view->attributedText();
    auto inside = text->attributesAtIndex(6);
    ASSERT_EQ(inside.size(), 2u);
    EXPECT_EQ(*valueForKey<UIFont>(inside, NSFontAttributeName), kBold16);
    EXPECT_EQ(*valueForKey<UIColor>(inside, NSForegroundColorAttributeName), UIColor::redColor());
    EXPECT_EQ(text->attributesAtIndex(4).size(), 3u);
    EXPECT_EQ(text->attributesAtIndex(9).size(), 3u);
}

TEST(BoldnColor, EarlierEmphasisSurvivesAndOverlapsTakeTheLaterColour)
{
    auto view = textViewWith("one two three");
    BoldnColor::boldRange(*view, { 0, 3 }, UIColor::redColor());
    BoldnColor::boldRange(*view, { 8, 5 }, UIColor::greenColor());
    BoldnColor::boldRange(*view, { 10, 3 }, UIColor::blackColor());
    auto runs = spans(*view);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], (Span { 0, 3, true, UIColor::redColor() }));
    EXPECT_EQ(runs[2], (Span { 8, 2, true, UIColor::greenColor() }));
    EXPECT_EQ(runs[3], (Span { 10, 3, true, UIColor::blackColor() }));
}

// Ranges count UTF-16 units: an emoji before a heading takes two of them.
TEST(BoldnColor, RangesCountUTF16UnitsPastEmojiAndMarks)
{
    auto view = textViewWith("\xF0\x9F\x98\x80 cafe\xCC\x81 Version 3.0: done");
    BoldnColor::boldSubstring(*view, NSString("Version 3.0:"), std::nullopt);
    auto runs = spans(*view);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1], (Span { 9, 12, true, BoldnColor::kDefaultColor }));
    EXPECT_EQ(view->attributedText()->string().substringWithRange({ 9, 12 }), NSString("Version 3.0:"));
}

} // namespace
