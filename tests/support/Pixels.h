#pragma once

#include <cstdint>
#include <optional>

namespace render {
class Painter;
}

namespace test {

// Premultiplied ARGB of one device pixel.
struct Pixel {
    int a = 0, r = 0, g = 0, b = 0;
};
Pixel pixelAt(const render::Painter&, int x, int y);

// The smallest box of device pixels holding every pixel with any alpha, within [x0, x1) x [y0, y1)
// (the whole surface by default); none when nothing is drawn there.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    bool operator==(const PixelBox&) const = default;
};
std::optional<PixelBox> inkBounds(const render::Painter&);
std::optional<PixelBox> inkBounds(const render::Painter&, int x0, int y0, int x1, int y1);

} // namespace test
