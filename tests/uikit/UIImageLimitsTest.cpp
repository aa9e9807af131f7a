#include "platform/foundation/NSURL.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIImage.h"

#include <cairo.h>
#include <gif_lib.h>
#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> bytesOf(const std::string& text)
{
    return { text.begin(), text.end() };
}

std::string littleEndian16(int value)
{
    return { static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF) };
}

// A GIF of a declared screen and frame size with a two-colour palette and a few bytes of pixels:
// what it claims, not what it holds, is what a decoder that trusts it allocates.
std::string gifDeclaring(int screenWidth, int screenHeight, int frameWidth, int frameHeight)
{
    std::string gif = "GIF89a" + littleEndian16(screenWidth) + littleEndian16(screenHeight);
    gif += std::string("\x80\x00\x00", 3);
    gif += std::string("\x00\x00\x00\xff\xff\xff", 6);
    gif += "," + littleEndian16(0) + littleEndian16(0) + littleEndian16(frameWidth) + littleEndian16(frameHeight);
    gif += std::string("\x00\x02\x02\x44\x01\x00;", 7);
    return gif;
}

int writeToString(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return length;
}

// An interlaced GIF WIDTH x HEIGHT whose row Y is all of colour Y (a grey of value Y).
std::string interlacedGIF(int width, int height)
{
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToString, &error);
    EXPECT_TRUE(gif);
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<size_t>(i)] = { GifByteType(i), GifByteType(i), GifByteType(i) };
    ColorMapObject* palette = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, palette);
    EGifPutImageDesc(gif, 0, 0, width, height, true, nullptr);
    // Interlaced rows are written in the order of the four passes.
    constexpr int kStart[] = { 0, 4, 2, 1 }, kStep[] = { 8, 8, 4, 2 };
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass]) {
            std::fill(row.begin(), row.end(), GifPixelType(y));
            EGifPutLine(gif, row.data(), width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(palette);
    return out;
}

TEST(UIImageLimits, DeclaredSizesBeyondTheBoundsAreRefusedBeforeDecoding)
{
    // 78 bytes asking for 65535 x 65535 pixels, on the screen or in the frame.
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(gifDeclaring(65535, 65535, 1, 1)))));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(gifDeclaring(4, 4, 65535, 65535)))));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(gifDeclaring(4096, 4097, 1, 1)))));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(gifDeclaring(0, 4, 1, 1)))));
    auto small = UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(gifDeclaring(4, 3, 1, 1))));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size().width, 4);

    // A PNG header that claims 100000 x 100000 pixels.
    std::string png = "\x89PNG\r\n\x1a\n";
    png += std::string("\x00\x00\x00\x0dIHDR\x00\x01\x86\xa0\x00\x01\x86\xa0\x08\x06\x00\x00\x00", 21);
    png += std::string(4, '\0');
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(png))));
}

TEST(UIImageLimits, InterlacedGIFRowsLandInPlace)
{
    auto image = UIImage::imageWithData(*NSData::dataWithBytes(bytesOf(interlacedGIF(3, 19))));
    ASSERT_TRUE(image);
    auto* surface = image->renderImage().surface();
    cairo_surface_flush(surface);
    auto* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < 19; ++y) {
        uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + y * stride);
        EXPECT_EQ(pixel, 0xFF000000u | uint32_t(y) << 16 | uint32_t(y) << 8 | uint32_t(y)) << "row " << y;
    }
}

TEST(UIImageLimits, DataURLsOverOneMebibyteGiveNoData)
{
    std::string prefix = "data:text/plain;base64,";
    // Whole groups of four characters, as base64 wants, as many as fit.
    size_t fitting = (NSData::kMaximumDataURLBytes - prefix.size()) / 4 * 4;
    auto atLimit = NSURL::URLWithString(NSString(prefix + std::string(fitting, 'A')));
    ASSERT_TRUE(atLimit);
    EXPECT_TRUE(NSData::dataWithContentsOfURL(*atLimit));
    auto over = NSURL::URLWithString(NSString(prefix + std::string(fitting + 4, 'A')));
    ASSERT_TRUE(over);
    EXPECT_FALSE(NSData::dataWithContentsOfURL(*over));
}

} // namespace
