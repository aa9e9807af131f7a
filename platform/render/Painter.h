#pragma once

#include "platform/render/RenderTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace render {

// An image in memory, premultiplied ARGB32 as Cairo keeps it (each pixel a native-endian
// 0xAARRGGBB), of a size in pixels.
class Image {
public:
    // Null when the size is negative or there are fewer than width * height pixels.
    static std::shared_ptr<Image> fromARGB(int width, int height, std::vector<uint32_t> pixels);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    int width() const;
    int height() const;
    cairo_surface_t* surface() const { return _surface; }

private:
    Image() = default;
    cairo_surface_t* _surface = nullptr;
    std::vector<uint32_t> _pixels;
};

// The one drawing surface of a frame: a Cairo image surface of width x height points at a scale,
// with Pango for all text. Text is measured with the same engine that draws it.
class TextLayout;
class BoxBlur;

class Painter {
public:
    Painter(double widthPoints, double heightPoints, double scale);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    double scale() const { return _scale; }
    int pixelWidth() const;
    int pixelHeight() const;

    // save/restore and beginGroup/endGroup nest; a restore or endGroup without its opening
    // call is ignored rather than left to break the frame.
    // Starts a new frame on the same surface: closes whatever the last frame left open and puts
    // the transform and clip back to the whole surface. Hosts keep one painter for every frame
    // rather than mapping a new surface each time.
    void beginFrame();

    void save();
    void restore();
    void translate(double dx, double dy);
    void scaleBy(double sx, double sy);
    // Narrows the clip to rect, its corners rounded by cornerRadius.
    void clip(const Rect& rect, double cornerRadius = 0);

    // Draws what follows into a group that is composited at the given opacity on endGroup().
    void beginGroup();
    void endGroup(double opacity);

    void clear(const RGBA& color);
    void fillRect(const Rect& rect, const RGBA& color);
    void fillRoundedRect(const Rect& rect, double radius, const RGBA& color);
    // Fills with a vertical gradient that runs from the rect's top edge (offset 0) to its bottom (1).
    void fillRoundedRect(const Rect& rect, double radius, const std::vector<GradientStop>& gradient);
    // The stroke lies inside rect, as a layer's border does.
    void strokeRoundedRect(const Rect& rect, double radius, double lineWidth, const RGBA& color);
    void fillEllipse(const Rect& rect, const RGBA& color);
    // A soft drop shadow under a rounded rectangle (the switch's knob): full colour inside
    // rect inset by blur / 2, fading out to rect outset by blur / 2.
    void fillShadow(const Rect& rect, double radius, double blur, const RGBA& color);
    // A straight line of the given width, e.g. a 0.5-point hairline.
    void line(double x0, double y0, double x1, double y1, double width, const RGBA& color);
    // A closed polygon (for status bar glyphs).
    void fillPath(const std::vector<std::pair<double, double>>& points, const RGBA& color);
    void strokeArc(double cx, double cy, double radius, double angle0, double angle1, double width, const RGBA& color);

    // Blurs what has been drawn under rect so far, as frosted glass shows what lies behind it: each
    // colour spreads `radius` points from where it was drawn, so a sharp edge becomes a soft ramp
    // about 2 * radius wide. Only what lies beneath takes part: the blur reads nothing outside
    // rect's bounds and the clip, and changes nothing outside rect (with corners rounded by
    // cornerRadius) and the clip. Inside a group it blurs what the group holds so far.
    void blurRegion(const Rect& rect, double radius, double cornerRadius = 0);

    // Draws an image scaled into the destination. An image drawn at its own size in points on whole
    // device pixels is copied pixel for pixel, without smoothing; `darken` lays that much black
    // over the image's own pixels (a pressed image button).
    void drawImage(const Image& image, const Rect& destination, double opacity = 1, double darken = 0);

    // Measures text laid out in `width` points (for wrapping styles) or unconstrained (single
    // line). Returns the logical size in points.
    Size measureText(std::string_view utf8, const TextStyle& style, double width = -1) const;
    // Draws text in rect: horizontal placement by the style's alignment, vertically centred in
    // the rect for single-line styles and top-aligned for wrapped text.
    void drawText(std::string_view utf8, const Rect& rect, const TextStyle& style);
    // Draws wrapped text starting at the top of rect, moved up by scrollOffset points; returns
    // the laid-out height (for scrolling text views).
    double drawTextTopAligned(std::string_view utf8, const Rect& rect, const TextStyle& style, double scrollOffset = 0);
    // Draws the lines of a kept layout that lie within [top, bottom) of its own coordinates, with
    // its top left corner at (x, y). Runs without a colour of their own take the given colour.
    void drawTextLayout(const TextLayout& layout, double x, double y, double top, double bottom, const RGBA& color);
    // Fills the boxes that the characters [start, end) (UTF-16 units) of a kept layout occupy,
    // within the lines in [top, bottom): a selection's highlight.
    void fillTextRange(const TextLayout& layout, double x, double y, size_t start, size_t end, double top, double bottom,
        const RGBA& color);
    // The text as drawText would lay it out in a rect of the given width: lines joined by '\n',
    // with "…" where an ellipsis replaced characters.
    std::string visibleText(std::string_view utf8, const TextStyle& style, double width) const;

    // The frame as PNG; false when the file could not be written, and why in ERROR.
    bool writePNG(const std::string& path, std::string& error) const;
    bool writePNG(const std::string& path) const
    {
        std::string error;
        return writePNG(path, error);
    }
    cairo_surface_t* surface() const { return _surface; }
    // Pixel access for tests and hosts: premultiplied ARGB32 rows of stride bytes.
    const unsigned char* data() const;
    int stride() const;

private:
    enum class Nesting { Save, Group };

    cairo_surface_t* _surface = nullptr;
    cairo_t* _cr = nullptr;
    double _scale = 1;
    std::vector<Nesting> _nesting;
    // Kept from frame to frame, so a backdrop blurred every frame allocates nothing.
    std::unique_ptr<BoxBlur> _blur;
};

// Painter::measureText without a painter, for views that size themselves before any drawing.
Size measureText(std::string_view utf8, const TextStyle& style, double width = -1);

} // namespace render
