#include "platform/uikit/UIImage.h"

#include "platform/foundation/NSURL.h"
#include "platform/render/Painter.h"

#include <gif_lib.h>

#include <cairo.h>
#include <cstring>

namespace {

struct MemoryReader {
    const std::vector<unsigned char>* bytes;
    size_t offset = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t available = reader->bytes->size() - reader->offset;
    size_t count = std::min(available, static_cast<size_t>(std::max(length, 0)));
    std::memcpy(out, reader->bytes->data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

bool isAcceptableSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= UIImage::kMaximumSide && height <= UIImage::kMaximumSide
        && width * height <= UIImage::kMaximumPixels;
}

// The rows of the first frame in the order the file stores them: interlaced frames store every
// eighth row first, then the rows between, in four passes.
std::vector<int> storedRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr int kStart[] = { 0, 4, 2, 1 };
    constexpr int kStep[] = { 8, 8, 4, 2 };
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            rows.push_back(y);
    }
    return rows;
}

// The first frame of a GIF, composed on a transparent canvas of the logical screen's size. The
// records are read one by one, rather than the whole file at once, so that the declared sizes of
// the screen and the frame are checked before anything is allocated for them.
std::shared_ptr<render::Image> decodeGIF(const std::vector<unsigned char>& bytes)
{
    MemoryReader reader { &bytes };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (!gif)
        return nullptr;
    struct Closer {
        GifFileType* gif;
        ~Closer()
        {
            int error = 0;
            DGifCloseFile(gif, &error);
        }
    } closer { gif };
    if (!isAcceptableSize(gif->SWidth, gif->SHeight))
        return nullptr;

    GraphicsControlBlock control {};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) != GIF_OK || record == TERMINATE_RECORD_TYPE)
            return nullptr;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK)
                return nullptr;
            if (code == GRAPHICS_EXT_FUNC_CODE && block)
                DGifExtensionToGCB(block[0], block + 1, &control);
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK)
                    return nullptr;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) != GIF_OK)
            return nullptr;
        break;
    }

    const GifImageDesc& desc = gif->Image;
    if (!isAcceptableSize(desc.Width, desc.Height))
        return nullptr;
    const ColorMapObject* palette = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!palette)
        return nullptr;
    std::vector<GifPixelType> raster(static_cast<size_t>(desc.Width) * static_cast<size_t>(desc.Height));
    for (int row : storedRowOrder(desc.Height, desc.Interlace)) {
        if (DGifGetLine(gif, &raster[static_cast<size_t>(row) * static_cast<size_t>(desc.Width)], desc.Width) != GIF_OK)
            return nullptr;
    }

    int width = gif->SWidth, height = gif->SHeight;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (int y = 0; y < desc.Height; ++y) {
        for (int x = 0; x < desc.Width; ++x) {
            int px = desc.Left + x, py = desc.Top + y;
            if (px < 0 || py < 0 || px >= width || py >= height)
                continue;
            int index = raster[static_cast<size_t>(y) * static_cast<size_t>(desc.Width) + static_cast<size_t>(x)];
            if (index == control.TransparentColor || index >= palette->ColorCount)
                continue;
            const GifColorType& c = palette->Colors[index];
            pixels[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)]
                = 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | uint32_t(c.Blue);
        }
    }
    return render::Image::fromARGB(width, height, std::move(pixels));
}

struct PNGReader {
    const std::vector<unsigned char>* bytes;
    size_t offset = 0;
};

cairo_status_t readPNG(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<PNGReader*>(closure);
    if (reader->bytes->size() - reader->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes->data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

uint32_t bigEndian32(const unsigned char* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}

std::shared_ptr<render::Image> decodePNG(const std::vector<unsigned char>& bytes)
{
    // The header chunk comes first, right after the signature: its width and height decide whether
    // the picture is decoded at all.
    constexpr size_t kHeaderEnd = 8 + 8 + 8;
    if (bytes.size() < kHeaderEnd || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0
        || !isAcceptableSize(bigEndian32(bytes.data() + 16), bigEndian32(bytes.data() + 20)))
        return nullptr;
    PNGReader reader { &bytes };
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPNG, &reader);
    std::shared_ptr<render::Image> image;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(surface);
        int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
        int stride = cairo_image_surface_get_stride(surface);
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[static_cast<size_t>(y) * static_cast<size_t>(width)], data + y * stride,
                static_cast<size_t>(width) * 4);
        image = render::Image::fromARGB(width, height, std::move(pixels));
    }
    cairo_surface_destroy(surface);
    return image;
}

} // namespace

std::shared_ptr<UIImage> UIImage::imageWithData(const NSData& data)
{
    const auto& bytes = data.bytes();
    std::shared_ptr<render::Image> decoded;
    if (bytes.size() >= 6 && std::memcmp(bytes.data(), "GIF8", 4) == 0)
        decoded = decodeGIF(bytes);
    else if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG", 4) == 0)
        decoded = decodePNG(bytes);
    return decoded ? imageWithRenderImage(std::move(decoded)) : nullptr;
}

std::shared_ptr<UIImage> UIImage::imageWithRenderImage(std::shared_ptr<render::Image> image)
{
    if (!image)
        return nullptr;
    auto result = std::shared_ptr<UIImage>(new UIImage);
    result->_size = { CGFloat(image->width()), CGFloat(image->height()) };
    result->_image = std::move(image);
    return result;
}
