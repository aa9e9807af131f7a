#include "platform/render/PNGWriter.h"

#include "platform/render/OutputFile.h"

#include <cairo.h>
#include <png.h>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace render {

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA bytes.
void unpremultiplyRow(const uint32_t* in, unsigned char* out, int width)
{
    for (int x = 0; x < width; ++x) {
        uint32_t pixel = in[x];
        unsigned alpha = pixel >> 24;
        unsigned red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        if (alpha != 0 && alpha != 255) {
            red = (red * 255 + alpha / 2) / alpha;
            green = (green * 255 + alpha / 2) / alpha;
            blue = (blue * 255 + alpha / 2) / alpha;
        }
        out[4 * x] = static_cast<unsigned char>(red);
        out[4 * x + 1] = static_cast<unsigned char>(green);
        out[4 * x + 2] = static_cast<unsigned char>(blue);
        out[4 * x + 3] = static_cast<unsigned char>(alpha);
    }
}

} // namespace

bool writeSurfaceAsPNG(cairo_surface_t* surface, const std::string& path, std::string& error)
{
    error = "cannot write";
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return false;
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (width <= 0 || height <= 0 || !data)
        return false;

    auto output = openOutputFile(path);
    if (output.fd < 0) {
        error = output.error;
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(fdopen(output.fd, "wb"));
    if (!file) {
        close(output.fd);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
    // libpng reports errors by jumping back here; nothing with a destructor is created below.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
        PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        unpremultiplyRow(reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride), row.data(), width);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        return false;
    error.clear();
    return true;
}

} // namespace render
