#include "platform/foundation/NSString.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSAttributedString.h"
#include "platform/foundation/NSURL.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(NSString, CountsUTF16CodeUnits)
{
    EXPECT_EQ(NSString("Version 3.0:").length(), 12u);
    EXPECT_EQ(NSString("caf\xC3\xA9").length(), 4u);
    // A character outside the basic plane takes two units, as the platform counts it.
    NSString emoji("a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(emoji.length(), 4u);
    EXPECT_EQ(emoji.rangeOfString("b"), NSMakeRange(3, 1));
    EXPECT_EQ(emoji.utf8OffsetOfIndex(3), 5u);
    EXPECT_EQ(emoji.utf8(), "a\xF0\x9F\x98\x80" "b");
}

TEST(NSString, FindsTheFirstExactOccurrence)
{
    NSString text("Version 1.0: x\nVersion 1.0: y");
    EXPECT_EQ(text.rangeOfString("Version 1.0:"), NSMakeRange(0, 12));
    EXPECT_EQ(text.rangeOfString("version 1.0:").location, NSUInteger(NSNotFound));
    EXPECT_EQ(text.rangeOfString("").location, NSUInteger(NSNotFound));
    EXPECT_EQ(text.rangeOfString("y"), NSMakeRange(28, 1));
}

TEST(NSString, InvalidUTF8)
{
    EXPECT_FALSE(NSString::fromUTF8("ok \xC3(").has_value());
    EXPECT_FALSE(NSString::fromUTF8("\xED\xA0\x80").has_value());
    EXPECT_FALSE(NSString::fromUTF8("\xC0\xAF").has_value());
    EXPECT_TRUE(NSString::fromUTF8("\xE2\x82\xAC").has_value());
    // The forgiving constructor keeps going with replacement characters.
    EXPECT_EQ(NSString("a\xFF" "b").length(), 3u);
}

TEST(NSString, FilesResolveUnderTheDeviceRoot)
{
    TempDir root;
    std::filesystem::create_directories(root.path() / "Applications/Zentrova.app");
    std::ofstream(root.path() / "Applications/Zentrova.app/CHANGELOG.txt") << "Version 3.0:\n";
    std::ofstream(root.path() / "bad.txt") << "\xFF\xFE";
    setDeviceRoot(root.path().string());
    auto text = NSString::stringWithContentsOfFile("/Applications/Zentrova.app/CHANGELOG.txt", NSUTF8StringEncoding);
    EXPECT_EQ(text, NSString("Version 3.0:\n"));
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/missing.txt", NSUTF8StringEncoding));
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/bad.txt", NSUTF8StringEncoding));
    setDeviceRoot("/");
    EXPECT_EQ(pathUnderDeviceRoot("/var/x"), "/var/x");
}

TEST(NSAttributedString, SetAttributesReplacesWithinTheRangeOnly)
{
    NSDictionary regular { { NSFontAttributeName, std::string("regular") } };
    auto base = NSAttributedString::initWithString("abcdefgh", regular);
    auto text = NSMutableAttributedString::initWithAttributedString(*base);
    NSDictionary bold { { NSForegroundColorAttributeName, 1 } };
    text->setAttributes(bold, NSMakeRange(2, 3));
    ASSERT_EQ(text->runs().size(), 3u);
    EXPECT_EQ(text->runs()[0].range, NSMakeRange(0, 2));
    EXPECT_EQ(text->runs()[1].range, NSMakeRange(2, 3));
    EXPECT_EQ(text->runs()[2].range, NSMakeRange(5, 3));
    // Replaced, not merged: the font is gone inside the range and kept outside it.
    EXPECT_FALSE(valueForKey<std::string>(text->attributesAtIndex(3), NSFontAttributeName));
    EXPECT_TRUE(valueForKey<int>(text->attributesAtIndex(3), NSForegroundColorAttributeName));
    EXPECT_TRUE(valueForKey<std::string>(text->attributesAtIndex(1), NSFontAttributeName));
    EXPECT_TRUE(valueForKey<std::string>(text->attributesAtIndex(7), NSFontAttributeName));

    // A later range across two runs holds on the overlap.
    NSDictionary other { { NSForegroundColorAttributeName, 2 } };
    text->setAttributes(other, NSMakeRange(4, 3));
    EXPECT_EQ(*valueForKey<int>(text->attributesAtIndex(3), NSForegroundColorAttributeName), 1);
    EXPECT_EQ(*valueForKey<int>(text->attributesAtIndex(4), NSForegroundColorAttributeName), 2);
    EXPECT_EQ(*valueForKey<int>(text->attributesAtIndex(6), NSForegroundColorAttributeName), 2);
    EXPECT_TRUE(valueForKey<std::string>(text->attributesAtIndex(7), NSFontAttributeName));
    // The original is untouched by changes to its copy.
    EXPECT_EQ(base->runs().size(), 1u);
}

TEST(NSURL, DataURLsDecodeInMemory)
{
    auto url = NSURL::URLWithString("data:image/gif;base64,R0lGODlh");
    ASSERT_TRUE(url);
    auto data = NSData::dataWithContentsOfURL(*url);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->bytes().begin(), data->bytes().end()), "GIF89a");
    EXPECT_FALSE(NSData::dataWithContentsOfURL(*NSURL::URLWithString("data:image/gif;base64,R0l*")));
    EXPECT_FALSE(NSData::dataWithContentsOfURL(*NSURL::URLWithString("https://example.invalid/x.gif")));
    EXPECT_FALSE(NSURL::URLWithString("no scheme here"));
    EXPECT_EQ(decodeBase64("TWFu"), (std::vector<unsigned char> { 'M', 'a', 'n' }));
    EXPECT_EQ(decodeBase64("TWE="), (std::vector<unsigned char> { 'M', 'a' }));
    EXPECT_FALSE(decodeBase64("TWFuT"));
}

} // namespace
