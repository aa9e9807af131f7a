#include "platform/render/Blur.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace render {

namespace {

// Beyond this a blur only tends to the flat mean of its region; capping it keeps the running sums
// small whatever a caller asks for.
constexpr int kMaxReach = 1024;
constexpr int kMaxReduction = 16;

// Two channels of a pixel side by side in 16-bit lanes: blue and red, or green and alpha.
constexpr uint32_t kLanes = 0x00FF00FF;

// (a * (256 - t) + b * t) / 256 for each channel, rounded, t in [0, 256].
inline uint32_t mix(uint32_t a, uint32_t b, uint32_t t)
{
    constexpr uint32_t half = 0x00800080;
    uint32_t s = 256 - t;
    uint32_t low = (((a & kLanes) * s + (b & kLanes) * t + half) >> 8) & kLanes;
    uint32_t high = (((a >> 8) & kLanes) * s + ((b >> 8) & kLanes) * t + half) & ~kLanes;
    return low | high;
}

// The average of each block of factor x factor pixels of the source region (fewer at its right
// and bottom edges).
void reduce(const uint32_t* pixels, int stride, PixelRect source, int factor, uint32_t* out, int width, int height)
{
    for (int ry = 0; ry < height; ++ry) {
        int y0 = source.y + ry * factor;
        int y1 = std::min(y0 + factor, source.y + source.height);
        for (int rx = 0; rx < width; ++rx) {
            int x0 = source.x + rx * factor;
            int x1 = std::min(x0 + factor, source.x + source.width);
            // At most 16 x 16 pixels of at most 255 each fit a 16-bit lane.
            uint32_t low = 0, high = 0;
            for (int y = y0; y < y1; ++y) {
                const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
                for (int x = x0; x < x1; ++x) {
                    low += row[x] & kLanes;
                    high += (row[x] >> 8) & kLanes;
                }
            }
            uint32_t n = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
            auto average = [n](uint32_t sum) { return (sum + n / 2) / n; };
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
    const uint64_t reciprocal = ((uint64_t(1) << 24) + window / 2) / window;
    auto scaled = [reciprocal](uint32_t sum) {
        return static_cast<uint32_t>((sum * reciprocal + (uint64_t(1) << 23)) >> 24);
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

using Sample = BoxBlur::Sample;

Sample sampleAt(int offset, int factor, int count)
{
    int position = (2 * offset + 1) * 128 / factor - 128;
    if (position <= 0)
        return { 0, 0, 0 };
    int first = position >> 8;
    if (first >= count - 1)
        return { count - 1, count - 1, 0 };
    return { first, first + 1, static_cast<uint32_t>(position & 0xFF) };
}

} // namespace

int BoxBlur::reductionFor(int reach)
{
    // Each box keeps at least three reduced pixels either side, which is smooth enough to scale up.
    return std::clamp(std::min(reach, kMaxReach) / 9, 1, kMaxReduction);
}

void BoxBlur::run(const uint32_t* pixels, int stride, PixelRect source, PixelRect destination, int reach, uint32_t* out)
{
    if (destination.width <= 0 || destination.height <= 0)
        return;
    const size_t outWidth = static_cast<size_t>(destination.width);
    reach = std::min(reach, kMaxReach);
    if (reach < 3 || source.width <= 0 || source.height <= 0) {
        for (int y = 0; y < destination.height; ++y) {
            const uint32_t* row = pixels + static_cast<size_t>(destination.y + y) * static_cast<size_t>(stride);
            std::memcpy(out + static_cast<size_t>(y) * outWidth, row + destination.x, outWidth * sizeof(uint32_t));
        }
        return;
    }

    const int factor = reductionFor(reach);
    const int width = (source.width + factor - 1) / factor;
    const int height = (source.height + factor - 1) / factor;
    // The three boxes share the reach, in reduced pixels, as evenly as whole pixels allow. Beyond
    // the reduced image's own size a wider box would only repeat its border pixels.
    const int reducedReach = std::min(std::max(3, (reach + factor / 2) / factor), 3 * std::max(width, height));
    const int boxHalves[3] = { reducedReach / 3, (reducedReach + 1) / 3, (reducedReach + 2) / 3 };
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    _reduced.resize(count);
    _scratch.resize(count);
    reduce(pixels, stride, source, factor, _reduced.data(), width, height);

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

    // Back to full resolution: each reduced row needed is stretched to the destination's width
    // once, and every destination row mixes the two stretched rows around it.
    _columns.resize(outWidth);
    for (size_t x = 0; x < outWidth; ++x)
        _columns[x] = sampleAt(destination.x - source.x + static_cast<int>(x), factor, width);
    _rows.resize(2 * outWidth);
    uint32_t* stretched[2] = { _rows.data(), _rows.data() + outWidth };
    int stretchedRow[2] = { -1, -1 };
    auto stretch = [&](int slot, int reducedRow) {
        if (stretchedRow[slot] == reducedRow)
            return;
        const uint32_t* row = image + static_cast<size_t>(reducedRow) * static_cast<size_t>(width);
        for (size_t x = 0; x < outWidth; ++x) {
            const Sample& sample = _columns[x];
            stretched[slot][x] = mix(row[sample.first], row[sample.second], sample.weight);
        }
        stretchedRow[slot] = reducedRow;
    };
    for (int y = 0; y < destination.height; ++y) {
        Sample sample = sampleAt(destination.y - source.y + y, factor, height);
        // The lower row of one destination row is usually the upper row of a later one.
        if (stretchedRow[1] == sample.first) {
            std::swap(stretched[0], stretched[1]);
            std::swap(stretchedRow[0], stretchedRow[1]);
        }
        stretch(0, sample.first);
        stretch(1, sample.second);
        uint32_t* target = out + static_cast<size_t>(y) * outWidth;
        for (size_t x = 0; x < outWidth; ++x)
            target[x] = mix(stretched[0][x], stretched[1][x], sample.weight);
    }
}

} // namespace render
