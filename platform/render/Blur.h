#pragma once

#include "platform/render/RenderTypes.h"

#include <cstdint>
#include <vector>

typedef struct _cairo cairo_t;

namespace render {

// A rectangle of whole pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A blur close to a Gaussian over premultiplied ARGB32 pixels: three box blurs in a row along
// each axis, which between them reach `reach` pixels either side, so a sharp edge becomes a ramp
// 2 * reach pixels wide. Wide blurs run on a copy reduced by whole blocks of pixels, to be scaled
// back up with bilinear filtering; the box blurs are so smooth that nothing of the reduction shows.
// The buffers are kept from one call to the next, so a frame that blurs the same regions again
// allocates nothing.
class BoxBlur {
public:
    // The blurred region, reduced: pixel (x, y) holds the blurred colour at the centre of the
    // region's block of factor x factor pixels at (x * factor, y * factor); blocks at the right
    // and bottom edges may be cut short by the region. Valid until the next run.
    struct Result {
        const uint32_t* pixels = nullptr;
        int width = 0;
        int height = 0;
        int factor = 1;
    };

    // Blurs the pixels of `region` (rows of `stride` pixels starting at `pixels`); its border pixels
    // stand in for whatever lies beyond it. A reach under 3 pixels (one for each box) is taken as 3.
    Result run(const uint32_t* pixels, int stride, PixelRect region, int reach);

    // Whether every pixel of the region is the same: a blur of it would change nothing.
    static bool isFlat(const uint32_t* pixels, int stride, PixelRect region);

    // How much the copy is reduced for a blur of this reach: 1 blurs at full resolution.
    static int reductionFor(int reach);

private:
    std::vector<uint32_t> _reduced;
    std::vector<uint32_t> _scratch;
    std::vector<uint32_t> _sums;
};

// Writes a blur of `region` back over it, on the surface cr draws into (inside a group, the
// group's): scaled up from the reduced result, only where the clip and `shape` (a rect in cr's user
// space, its corners rounded by cornerRadius) allow, its edges anti-aliased as every fill's are.
void paintBlurred(cairo_t* cr, const BoxBlur::Result& blurred, PixelRect region, const Rect& shape, double cornerRadius);

} // namespace render
