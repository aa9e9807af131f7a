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

// The first frame of a GIF, composed on a transparent canvas of the logical screen's size.
std::shared_ptr<render::Image> decodeGIF(const std::vector<unsigned char>& bytes)
{
    MemoryReader reader { &bytes };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (!gif)
        return nullptr;
    std::shared_ptr<render::Image> image;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 && gif->SWidth > 0 && gif->SHeight > 0) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* palette = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock control {};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, 0, &control);
        int width = gif->SWidth, height = gif->SHeight;
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        const GifImageDesc& desc = frame.ImageDesc;
        if (palette) {
            for (int y = 0; y < desc.Height; ++y) {
                for (int x = 0; x < desc.Width; ++x) {
                    int px = desc.Left + x, py = desc.Top + y;
                    if (px < 0 || py < 0 || px >= width || py >= height)
                        continue;
                    int index = frame.RasterBits[static_cast<size_t>(y) * static_cast<size_t>(desc.Width) + static_cast<size_t>(x)];
                    if (index == control.TransparentColor || index >= palette->ColorCount)
                        continue;
                    const GifColorType& c = palette->Colors[index];
                    pixels[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)]
                        = 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | uint32_t(c.Blue);
                }
            }
            image = render::Image::fromARGB(width, height, std::move(pixels));
        }
    }
    DGifCloseFile(gif, &error);
    return image;
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

std::shared_ptr<render::Image> decodePNG(const std::vector<unsigned char>& bytes)
{
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
