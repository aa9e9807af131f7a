#pragma once

#include "platform/render/RenderTypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoLayoutLine PangoLayoutLine;

// Text as Pango lays it out, measures it and draws it. Every layout the painter and the text views
// use is made here from the shared context, so what is measured, drawn and inspected can never
// disagree about where a line breaks or truncates.
namespace render {

// Pango's fixed-point units: 1024 to a point.
constexpr int kPangoUnitsPerPoint = 1024;

constexpr double fromPango(int units)
{
    return static_cast<double>(units) / kPangoUnitsPerPoint;
}

struct PangoLayoutDeleter {
    void operator()(PangoLayout*) const;
};
using PangoLayoutPtr = std::unique_ptr<PangoLayout, PangoLayoutDeleter>;

enum class Wrapping {
    // Wrapped for a LineBreak::WordWrap style, one line for the others.
    ByStyle,
    Always,
};

bool wraps(const TextStyle& style, Wrapping wrapping);

// Invalid UTF-8 is repaired first; the style's runs and line height become Pango attributes. Wrapped
// text is wrapped in `width` and aligned by the style; a single line stays left-aligned (its
// drawer places it) and is truncated or clipped to `width` as the style says. `width` below zero
// leaves the layout unconstrained.
PangoLayoutPtr makeLayout(std::string_view utf8, const TextStyle& style, double width, Wrapping wrapping);

// A layout of wrapped text in a width, as the painter lays out everything it draws.
PangoLayoutPtr newWrappedLayout(std::string_view utf8, const TextStyle& style, double width);

// The layout's logical rectangle in points, relative to its origin.
Rect logicalExtents(PangoLayout*);

// The logical size of the text as the painter draws it: wrapped in `width` for wrapping styles,
// on one unconstrained line otherwise.
Size textSize(std::string_view utf8, const TextStyle& style, double width);

// The lines of a layout joined by '\n', with "…" where an ellipsis replaced characters.
std::string visibleTextOf(PangoLayout*);

// The device pixel corner nearest to a point, in user space: text drawn from there keeps its
// baselines crisp, while glyphs within a line keep their exact positions.
std::pair<double, double> wholeDevicePixel(cairo_t*, double x, double y);

// Draws a layout in the current source with its top left corner at the whole device pixel nearest
// to (x, y).
void showLayout(cairo_t*, PangoLayout*, double x, double y);
// Draws one line of a layout with the start of its baseline at (x, baseline), exactly.
void showLayoutLine(cairo_t*, PangoLayoutLine*, double x, double baseline);

} // namespace render
