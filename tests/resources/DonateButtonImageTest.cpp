#include "resources/DonateButtonImage.h"

#include "platform/foundation/NSURL.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// What the GIF's own bytes say, read without the decoder.
struct GIFFacts {
    std::string signature;
    int width = 0, height = 0;
    int globalColors = 0;
    int backgroundIndex = -1;
    int transparentIndex = -1;
    int frames = 0;
    bool wellFormed = false;
};

GIFFacts readGIF(const std::vector<unsigned char>& b)
{
    GIFFacts facts;
    if (b.size() < 13)
        return facts;
    facts.signature.assign(b.begin(), b.begin() + 6);
    facts.width = b[6] | (b[7] << 8);
    facts.height = b[8] | (b[9] << 8);
    size_t at = 13;
    if (b[10] & 0x80) {
        facts.globalColors = 1 << ((b[10] & 7) + 1);
        at += size_t(3 * facts.globalColors);
    }
    facts.backgroundIndex = b[11];
    auto skipSubBlocks = [&] {
        while (at < b.size() && b[at] != 0)
            at += b[at] + 1u;
        ++at;
    };
    while (at < b.size()) {
        unsigned char introducer = b[at];
        if (introducer == 0x3B) {
            facts.wellFormed = at + 1 == b.size();
            break;
        }
        if (introducer == 0x21) {
            // A graphic control extension: 4 bytes of packed flags, delay and transparent index.
            if (at + 6 < b.size() && b[at + 1] == 0xF9 && b[at + 2] == 4 && (b[at + 3] & 1))
                facts.transparentIndex = b[at + 6];
            at += 2;
            skipSubBlocks();
        } else if (introducer == 0x2C) {
            ++facts.frames;
            unsigned char packed = b[at + 9];
            at += 10;
            if (packed & 0x80)
                at += size_t(3 * (1 << ((packed & 7) + 1)));
            ++at; // LZW minimum code size
            skipSubBlocks();
        } else {
            break;
        }
    }
    return facts;
}

std::shared_ptr<NSData> pictureData()
{
    auto url = NSURL::URLWithString(kDonateButtonImageURL);
    return url ? NSData::dataWithContentsOfURL(*url) : nullptr;
}

TEST(DonateButtonImage, IsAOneFrameGIFWithItsPaletteFacts)
{
    EXPECT_EQ(std::strncmp(kDonateButtonImageURL, "data:image/gif;base64,", 22), 0);
    auto data = pictureData();
    ASSERT_TRUE(data);
    GIFFacts facts = readGIF(data->bytes());
    EXPECT_TRUE(facts.wellFormed);
    EXPECT_EQ(facts.signature, "GIF89a");
    EXPECT_EQ(facts.width, 147);
    EXPECT_EQ(facts.height, 47);
    EXPECT_EQ(facts.globalColors, 128);
    EXPECT_EQ(facts.transparentIndex, 122);
    EXPECT_EQ(facts.backgroundIndex, 122);
    EXPECT_EQ(facts.frames, 1);
}

TEST(DonateButtonImage, DecodesToAButtonOnATransparentGround)
{
    auto data = pictureData();
    ASSERT_TRUE(data);
    auto image = UIImage::imageWithData(*data);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(147, 47));

    // On a custom button of the same size at scale 2, every image pixel is a crisp 2 x 2 block.
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 147, 47));
    button->setImage(image, UIControlStateNormal);
    render::Painter painter(147, 47, 2);
    button->drawHierarchy(painter);
    // The corners are transparent; the button's face is a warm yellow-orange.
    EXPECT_EQ(test::pixelAt(painter, 0, 0).a, 0);
    EXPECT_EQ(test::pixelAt(painter, 293, 93).a, 0);
    auto face = test::pixelAt(painter, 2 * 20, 2 * 20);
    EXPECT_EQ(face.a, 255);
    EXPECT_GT(face.r, 200);
    EXPECT_GT(face.g, 120);
    EXPECT_LT(face.b, 120);
    int blockMismatches = 0;
    for (int y = 0; y < 94; y += 2) {
        for (int x = 0; x < 294; x += 2) {
            auto p = test::pixelAt(painter, x, y);
            auto q = test::pixelAt(painter, x + 1, y + 1);
            blockMismatches += (p.a != q.a || p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
        }
    }
    EXPECT_EQ(blockMismatches, 0);
}

} // namespace
