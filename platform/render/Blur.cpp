#include "platform/render/Blur.h"

#include "platform/render/CairoShapes.h"

#include <cairo.h>

#include <algorithm>
#include <utility>

namespace render {

namespace {

// Beyond this a blur only tends to the flat mean of its region; capping it keeps the running sums
// small whatever a caller asks for.
constexpr int kMaxReach = 1024;
constexpr int kMaxReduction = 16;

// Two channels of a pixel side by side in 16-bit lanes: blue and red, or green and alpha.
constexpr uint32_t kLanes = 0x00FF00FF;

// The average of each block of factor x factor pixels of the source region (fewer at its right
// and bottom edges). Large blocks are sampled on a sparser grid of at most four by four pixels:
// the blur that follows smooths far more than the pixels left out could change.
void reduce(const uint32_t* pixels, int stride, PixelRect source, int factor, uint32_t* out, int width, int height,
    std::vector<uint32_t>& sums)
{
    const int step = (factor + 3) / 4;
    sums.assign(2 * static_cast<size_t>(width), 0);
    for (int ry = 0; ry < height; ++ry) {
        int y0 = source.y + ry * factor;
        int y1 = std::min(y0 + factor, source.y + source.height);
        std::fill(sums.begin(), sums.end(), 0);
        int rows = 0;
        // Row by row, so that memory is read in order; each block's two lane sums build up in
        // `sums`. At most 16 x 16 pixels of at most 255 each fit a 16-bit lane.
        for (int y = y0; y < y1; y += step, ++rows) {
            const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
            for (int rx = 0; rx < width; ++rx) {
                int x0 = source.x + rx * factor;
                int x1 = std::min(x0 + factor, source.x + source.width);
                uint32_t low = 0, high = 0;
                for (int x = x0; x < x1; x += step) {
                    low += row[x] & kLanes;
                    high += (row[x] >> 8) & kLanes;
                }
                sums[2 * static_cast<size_t>(rx)] += low;
                sums[2 * static_cast<size_t>(rx) + 1] += high;
            }
        }
        for (int rx = 0; rx < width; ++rx) {
            int x0 = source.x + rx * factor;
            int columns = (std::min(x0 + factor, source.x + source.width) - x0 + step - 1) / step;
            uint64_t n = static_cast<uint64_t>(columns * rows);
            uint64_t reciprocal = ((uint64_t(1) << 32) + n / 2) / n;
            auto average = [reciprocal](uint32_t sum) {
                return static_cast<uint32_t>((sum * reciprocal + (uint64_t(1) << 31)) >> 32);
            };
            uint32_t low = sums[2 * static_cast<size_t>(rx)], high = sums[2 * static_cast<size_t>(rx) + 1];
            uint32_t b = average(low & 0xFFFF), r = average(low >> 16);
            uint32_t g = average(high & 0xFFFF), a = average(high >> 16);
            out[static_cast<size_t>(ry) * static_cast<size_t>(width) + static_cast<size_t>(rx)]
                = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

// One box blur along the rows of a width x height image, the border pixels repeated beyond it,
// written transposed (a height x width image), so that the next pass runs along the columns.
void boxPassTransposed(const uint32_t* source, int width, int height, int half, uint32_t* out)
{
    const uint32_t window = static_cast<uint32_t>(2 * half + 1);
    const uint64_t reciprocal = ((uint64_t(1) << 32) + window / 2) / window;
    auto scaled = [reciprocal](uint32_t sum) {
        return static_cast<uint32_t>((sum * reciprocal + (uint64_t(1) << 31)) >> 32);
    };
    const int last = width - 1;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = source + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint32_t sum[4] = {};
        auto add = [&sum](uint32_t pixel) {
            sum[0] += pixel & 0xFF;
            sum[1] += (pixel >> 8) & 0xFF;
            sum[2] += (pixel >> 16) & 0xFF;
            sum[3] += pixel >> 24;
        };
        auto remove = [&sum](uint32_t pixel) {
            sum[0] -= pixel & 0xFF;
            sum[1] -= (pixel >> 8) & 0xFF;
            sum[2] -= (pixel >> 16) & 0xFF;
            sum[3] -= pixel >> 24;
        };
        for (int i = -half; i <= half; ++i)
            add(row[std::clamp(i, 0, last)]);
        uint32_t* column = out + y;
        for (int x = 0; x < width; ++x) {
            column[static_cast<size_t>(x) * static_cast<size_t>(height)]
                = (scaled(sum[3]) << 24) | (scaled(sum[2]) << 16) | (scaled(sum[1]) << 8) | scaled(sum[0]);
            add(row[std::min(x + half + 1, last)]);
            remove(row[std::max(x - half, 0)]);
        }
    }
}

} // namespace

bool BoxBlur::isFlat(const uint32_t* pixels, int stride, PixelRect region)
{
    if (region.width <= 0 || region.height <= 0)
        return true;
    const uint32_t first = pixels[static_cast<size_t>(region.y) * static_cast<size_t>(stride) + static_cast<size_t>(region.x)];
    for (int y = region.y; y < region.y + region.height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride) + region.x;
        if (std::find_if(row, row + region.width, [first](uint32_t pixel) { return pixel != first; }) != row + region.width)
            return false;
    }
    return true;
}

int BoxBlur::reductionFor(int reach)
{
    // Each box keeps at least two reduced pixels either side, which is smooth enough to scale up.
    return std::clamp(std::min(reach, kMaxReach) / 6, 1, kMaxReduction);
}

BoxBlur::Result BoxBlur::run(const uint32_t* pixels, int stride, PixelRect region, int reach)
{
    if (region.width <= 0 || region.height <= 0)
        return {};
    reach = std::clamp(reach, 3, kMaxReach);
    const int factor = reductionFor(reach);
    const int width = (region.width + factor - 1) / factor;
    const int height = (region.height + factor - 1) / factor;
    // The three boxes share the reach, in reduced pixels, as evenly as whole pixels allow. Beyond
    // the reduced image's own size a wider box would only repeat its border pixels.
    const int reducedReach = std::min(std::max(3, (reach + factor / 2) / factor), 3 * std::max(width, height));
    const int boxHalves[3] = { reducedReach / 3, (reducedReach + 1) / 3, (reducedReach + 2) / 3 };
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    _reduced.resize(count);
    _scratch.resize(count);
    reduce(pixels, stride, region, factor, _reduced.data(), width, height, _sums);

    // Each pass writes its result transposed, so the six passes go along the rows, the columns,
    // the rows again and so on, and the image ends up the right way round.
    uint32_t* image = _reduced.data();
    uint32_t* spare = _scratch.data();
    int passWidth = width, passHeight = height;
    for (int pass = 0; pass < 6; ++pass) {
        boxPassTransposed(image, passWidth, passHeight, boxHalves[pass / 2], spare);
        std::swap(image, spare);
        std::swap(passWidth, passHeight);
    }
    return { image, width, height, factor };
}

void paintBlurred(cairo_t* cr, const BoxBlur::Result& blurred, PixelRect region, const Rect& shape, double cornerRadius)
{
    // The region is in the pixels of the surface drawn into, which inside a group lies offset from
    // the frame's device space.
    double offsetX = 0, offsetY = 0;
    cairo_surface_get_device_offset(cairo_get_group_target(cr), &offsetX, &offsetY);
    double deviceX = region.x - offsetX, deviceY = region.y - offsetY;

    // The reduced blur goes back through Cairo, scaled up with bilinear filtering, so the clip and
    // the rounded corners apply and the edges of the shape are anti-aliased as every fill is.
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(blurred.pixels)), CAIRO_FORMAT_ARGB32, blurred.width,
        blurred.height, blurred.width * 4);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
    cairo_matrix_t toImage;
    cairo_matrix_init_scale(&toImage, 1.0 / blurred.factor, 1.0 / blurred.factor);
    cairo_matrix_translate(&toImage, -deviceX, -deviceY);
    cairo_pattern_set_matrix(pattern, &toImage);
    cairo_pattern_set_filter(pattern, blurred.factor > 1 ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);

    cairo_save(cr);
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, deviceX, deviceY, region.width, region.height);
    cairo_clip(cr);
    cairo_set_source(cr, pattern);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    double corner = std::clamp(cornerRadius, 0.0, std::min(shape.width, shape.height) / 2);
    if (corner <= 0) {
        // A plain rect covers the whole region, however far beyond the surface it reaches.
        cairo_paint(cr);
    } else {
        // Cairo scales a plain rectangle up much faster than a shape with curves, so only the
        // bands that hold the corners are filled as the rounded shape.
        cairo_set_matrix(cr, &matrix);
        for (double bandTop : { shape.y, shape.y + shape.height - corner }) {
            cairo_save(cr);
            cairo_rectangle(cr, shape.x, bandTop, shape.width, corner);
            cairo_clip(cr);
            roundedRectPath(cr, shape, corner);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_rectangle(cr, shape.x, shape.y + corner, shape.width, shape.height - 2 * corner);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(image);
}

} // namespace render
