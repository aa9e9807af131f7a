#pragma once

#include "platform/render/RenderTypes.h"

typedef struct _cairo cairo_t;

namespace render {

// Adds a rectangle with its corners rounded by radius (no more than half its shorter side) to the
// current path, as a sub-path of its own.
void roundedRectPath(cairo_t*, const Rect& rect, double radius);

} // namespace render
