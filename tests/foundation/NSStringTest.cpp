#include "platform/foundation/NSString.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSAttributedString.h"
#include "platform/foundation/NSURL.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    std::ofstream(root.path() / "bom.txt") << "\xEF\xBB\xBFVersion";
    std::ofstream(root.path() / "empty.txt");
    setDeviceRoot(root.path().string());
    // The byte order mark stays as the first character, as the platform keeps it.
    auto bom = NSString::stringWithContentsOfFile("/bom.txt", NSUTF8StringEncoding, nullptr);
    ASSERT_TRUE(bom);
    EXPECT_EQ(bom->length(), 8u);
    EXPECT_EQ(bom->characterAtIndex(0), u'\uFEFF');
    EXPECT_EQ(bom->rangeOfString("Version"), NSMakeRange(1, 7));
    EXPECT_EQ(NSString::stringWithContentsOfFile("/empty.txt", NSUTF8StringEncoding), NSString());
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/Applications", NSUTF8StringEncoding));
    auto text = NSString::stringWithContentsOfFile("/Applications/Zentrova.app/CHANGELOG.txt", NSUTF8StringEncoding);
    EXPECT_EQ(text, NSString("Version 3.0:\n"));
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/missing.txt", NSUTF8StringEncoding));
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/bad.txt", NSUTF8StringEncoding));
    setDeviceRoot("/");
    EXPECT_EQ(pathUnderDeviceRoot("/var/x"), "/var/x");
}

// A pipe, a device or an oversized file in place of a text file gives none at once instead of
// blocking the caller or filling memory.
TEST(NSString, OnlyBoundedRegularFilesAreRead)
{
    TempDir root;
    ASSERT_EQ(::mkfifo((root.path() / "fifo.txt").c_str(), 0600), 0);
    {
        std::ofstream big(root.path() / "big.txt", std::ios::binary);
        big.seekp(NSString::kMaximumFileSize);
        big.put('x');
    }
    std::ofstream(root.path() / "limit.txt", std::ios::binary) << std::string(1000, 'a');
    setDeviceRoot(root.path().string());
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/fifo.txt", NSUTF8StringEncoding));
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/big.txt", NSUTF8StringEncoding));
    EXPECT_EQ(NSString::stringWithContentsOfFile("/limit.txt", NSUTF8StringEncoding)->length(), 1000u);
    setDeviceRoot("/");
    EXPECT_FALSE(NSString::stringWithContentsOfFile("/dev/zero", NSUTF8StringEncoding));
}

TEST(NSString, MapsUTF16IndexesToUTF8BytesPastEmojiAccentsAndMarks)
{
    // "a", an emoji (2 units, 4 bytes), "é" precomposed (1 unit, 2 bytes), "e" with a combining
    // acute (2 units, 3 bytes), "z".
    NSString text("a\xF0\x9F\x98\x80\xC3\xA9" "e\xCC\x81z");
    ASSERT_EQ(text.length(), 7u);
    EXPECT_EQ(text.utf8OffsetsOfIndices({ 0, 1, 3, 4, 5, 6, 7 }), (std::vector<size_t> { 0, 1, 5, 7, 8, 10, 11 }));
    for (NSUInteger index : { 0u, 1u, 3u, 4u, 5u, 6u, 7u }) {
        EXPECT_EQ(text.utf8OffsetOfIndex(index), text.utf8OffsetsOfIndices({ index })[0]);
        EXPECT_EQ(text.indexOfUTF8Offset(text.utf8OffsetOfIndex(index)), index);
    }
    // The combining mark is found on its own, where it lies.
    EXPECT_EQ(text.rangeOfString("\xCC\x81"), NSMakeRange(5, 1));
    EXPECT_EQ(text.rangeOfString("\xF0\x9F\x98\x80"), NSMakeRange(1, 2));
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

    // Adding one attribute keeps the others of each run it covers.
    text->addAttribute(NSFontAttributeName, std::string("bold"), NSMakeRange(0, 4));
    ASSERT_TRUE(valueForKey<std::string>(text->attributesAtIndex(1), NSFontAttributeName));
    EXPECT_EQ(*valueForKey<std::string>(text->attributesAtIndex(1), NSFontAttributeName), "bold");
    ASSERT_TRUE(valueForKey<std::string>(text->attributesAtIndex(3), NSFontAttributeName));
    EXPECT_EQ(*valueForKey<std::string>(text->attributesAtIndex(3), NSFontAttributeName), "bold");
    EXPECT_EQ(*valueForKey<int>(text->attributesAtIndex(3), NSForegroundColorAttributeName), 1);
    EXPECT_FALSE(valueForKey<std::string>(text->attributesAtIndex(4), NSFontAttributeName));
    NSUInteger covered = 0;
    for (auto& run : text->runs()) {
        EXPECT_EQ(run.range.location, covered);
        covered = run.range.end();
    }
    EXPECT_EQ(covered, text->length());

    // A plain string has one run without attributes; an empty one has none.
    auto plain = NSMutableAttributedString::initWithString("abc");
    ASSERT_EQ(plain->runs().size(), 1u);
    EXPECT_TRUE(plain->runs()[0].attributes.empty());
    EXPECT_TRUE(NSMutableAttributedString::initWithString("")->runs().empty());
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
    // The percent form, and schemes that would need a fetch.
    auto percent = NSData::dataWithContentsOfURL(*NSURL::URLWithString("data:text/plain,a%20b%2Cc"));
    ASSERT_TRUE(percent);
    EXPECT_EQ(std::string(percent->bytes().begin(), percent->bytes().end()), "a b,c");
    EXPECT_FALSE(NSData::dataWithContentsOfURL(*NSURL::URLWithString("data:text/plain,50%")));
    EXPECT_FALSE(NSData::dataWithContentsOfURL(*NSURL::URLWithString("file:///etc/hostname")));
    EXPECT_EQ(decodeBase64("TWFu"), (std::vector<unsigned char> { 'M', 'a', 'n' }));
    EXPECT_EQ(decodeBase64("TWE="), (std::vector<unsigned char> { 'M', 'a' }));
    EXPECT_FALSE(decodeBase64("TWFuT"));
}

} // namespace
