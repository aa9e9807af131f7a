#include "platform/render/CairoShapes.h"

#include <cairo.h>

#include <algorithm>
#include <numbers>

namespace render {

void roundedRectPath(cairo_t* cr, const Rect& rect, double radius)
{
    radius = std::clamp(radius, 0.0, std::min(rect.width, rect.height) / 2);
    if (radius <= 0) {
        cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
        return;
    }
    constexpr double quarter = std::numbers::pi / 2;
    double left = rect.x, top = rect.y, right = rect.x + rect.width, bottom = rect.y + rect.height;
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -quarter, 0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0, quarter);
    cairo_arc(cr, left + radius, bottom - radius, radius, quarter, 2 * quarter);
    cairo_arc(cr, left + radius, top + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cr);
}

} // namespace render
