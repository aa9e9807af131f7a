#include "tests/support/Pixels.h"

#include "platform/render/Painter.h"

#include <algorithm>
#include <cstring>

namespace test {

Pixel pixelAt(const render::Painter& painter, int x, int y)
{
    uint32_t value;
    std::memcpy(&value, painter.data() + y * painter.stride() + x * 4, sizeof value);
    return { static_cast<int>(value >> 24), static_cast<int>((value >> 16) & 0xff),
        static_cast<int>((value >> 8) & 0xff), static_cast<int>(value & 0xff) };
}

std::optional<PixelBox> inkBounds(const render::Painter& painter)
{
    return inkBounds(painter, 0, 0, painter.pixelWidth(), painter.pixelHeight());
}

std::optional<PixelBox> inkBounds(const render::Painter& painter, int x0, int y0, int x1, int y1)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, painter.pixelWidth());
    y1 = std::min(y1, painter.pixelHeight());
    std::optional<PixelBox> box;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!pixelAt(painter, x, y).a)
                continue;
            if (!box) {
                box = PixelBox { x, y, x + 1, y + 1 };
                continue;
            }
            box->left = std::min(box->left, x);
            box->top = std::min(box->top, y);
            box->right = std::max(box->right, x + 1);
            box->bottom = std::max(box->bottom, y + 1);
        }
    }
    return box;
}

} // namespace test
