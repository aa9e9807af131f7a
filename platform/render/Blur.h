#pragma once

#include <cstdint>
#include <vector>

namespace render {

// A rectangle of whole pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A blur close to a Gaussian over premultiplied ARGB32 pixels: three box blurs in a row along
// each axis, which between them reach `reach` pixels either side, so a sharp edge becomes a ramp
// 2 * reach pixels wide. Wide blurs run on a copy reduced by whole blocks of pixels and are
// scaled back up with bilinear filtering; the box blurs are so smooth that nothing of the
// reduction shows. The buffers are kept from one call to the next, so a frame that blurs the
// same regions again allocates nothing.
class BoxBlur {
public:
    // Blurs the pixels of `source` (rows of `stride` pixels starting at `pixels`, the region's
    // border pixels taken to repeat beyond it) and writes the part under `destination`, which lies
    // within `source`, to `out`: destination.width x destination.height pixels in rows of
    // destination.width. A reach under 3 pixels (one for each box) blurs nothing and copies the pixels as they are.
    void run(const uint32_t* pixels, int stride, PixelRect source, PixelRect destination, int reach, uint32_t* out);

    // How much the copy is reduced for a blur of this reach: 1 blurs at full resolution.
    static int reductionFor(int reach);

    // Where a full-resolution pixel's centre falls between two reduced pixels: their indexes and
    // the second one's weight in 1/256ths.
    struct Sample {
        int first = 0;
        int second = 0;
        uint32_t weight = 0;
    };

private:
    std::vector<Sample> _columns;
    std::vector<uint32_t> _reduced;
    std::vector<uint32_t> _scratch;
    std::vector<uint32_t> _rows;
};

} // namespace render
