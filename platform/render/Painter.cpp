#include "platform/render/Painter.h"

#include "platform/render/Blur.h"
#include "platform/render/CairoShapes.h"
#include "platform/render/Fonts.h"
#include "platform/render/PNGWriter.h"
#include "platform/render/PangoText.h"
#include "platform/render/TextLayout.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

namespace {

using namespace render;

double alignedOffset(TextAlignment alignment, double room)
{
    switch (alignment) {
    case TextAlignment::Left:
        return 0;
    case TextAlignment::Center:
        return room / 2;
    case TextAlignment::Right:
        return room;
    }
    return 0;
}

Rect inset(const Rect& rect, double amount)
{
    return { rect.x + amount, rect.y + amount, rect.width - 2 * amount, rect.height - 2 * amount };
}

void setColor(cairo_t* cr, const RGBA& color)
{
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
}

bool isFinite(const Rect& rect)
{
    return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) && std::isfinite(rect.height);
}

bool holdsARGBPixels(cairo_surface_t* surface)
{
    return cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE
        && cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
}

// The pixels of the target that a blur of rect may change: the rect's bounds in device space, within
// the clip and the target. Only what lies beneath is blurred: a bar at the top of a screen must not
// darken from the black strip beside it.
std::optional<PixelRect> regionBeneath(cairo_t* cr, cairo_surface_t* target, const Rect& rect)
{
    double offsetX = 0, offsetY = 0;
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    int targetWidth = cairo_image_surface_get_width(target);
    int targetHeight = cairo_image_surface_get_height(target);

    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (auto [x, y] : { std::pair { rect.x, rect.y }, { rect.x + rect.width, rect.y },
             { rect.x, rect.y + rect.height }, { rect.x + rect.width, rect.y + rect.height } }) {
        cairo_user_to_device(cr, &x, &y);
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    double clipLeft, clipTop, clipRight, clipBottom;
    cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
    cairo_user_to_device(cr, &clipLeft, &clipTop);
    cairo_user_to_device(cr, &clipRight, &clipBottom);
    auto pixel = [](double value, double offset, int limit) {
        return static_cast<int>(std::clamp(value + offset, 0.0, static_cast<double>(limit)));
    };
    int x0 = pixel(std::floor(std::max(left, std::min(clipLeft, clipRight))), offsetX, targetWidth);
    int x1 = pixel(std::ceil(std::min(right, std::max(clipLeft, clipRight))), offsetX, targetWidth);
    int y0 = pixel(std::floor(std::max(top, std::min(clipTop, clipBottom))), offsetY, targetHeight);
    int y1 = pixel(std::ceil(std::min(bottom, std::max(clipTop, clipBottom))), offsetY, targetHeight);
    if (x1 <= x0 || y1 <= y0)
        return std::nullopt;
    return PixelRect { x0, y0, x1 - x0, y1 - y0 };
}

// How many device pixels a distance of `points` spans under the current transform.
int reachInPixels(cairo_t* cr, double points)
{
    double unitX = 1, unitY = 0, otherX = 0, otherY = 1;
    cairo_user_to_device_distance(cr, &unitX, &unitY);
    cairo_user_to_device_distance(cr, &otherX, &otherY);
    double pixelsPerPoint = std::sqrt(std::hypot(unitX, unitY) * std::hypot(otherX, otherY));
    // Far beyond the surface's own size every radius blurs alike; the cap keeps the rounding sound.
    return static_cast<int>(std::lround(std::min(points * pixelsPerPoint, 1e6)));
}

} // namespace

namespace render {

std::shared_ptr<Image> Image::fromARGB(int width, int height, std::vector<uint32_t> pixels)
{
    if (width < 0 || height < 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return nullptr;
    std::shared_ptr<Image> image(new Image);
    image->_pixels = std::move(pixels);
    image->_surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(image->_pixels.data()), CAIRO_FORMAT_ARGB32, width, height, width * 4);
    if (cairo_surface_status(image->_surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return image;
}

Image::~Image()
{
    if (_surface)
        cairo_surface_destroy(_surface);
}

int Image::width() const
{
    return cairo_image_surface_get_width(_surface);
}

int Image::height() const
{
    return cairo_image_surface_get_height(_surface);
}

Painter::Painter(double widthPoints, double heightPoints, double scale)
    : _scale(scale > 0 ? scale : 1)
{
    configureFonts();
    int width = static_cast<int>(std::max(0L, std::lround(widthPoints * _scale)));
    int height = static_cast<int>(std::max(0L, std::lround(heightPoints * _scale)));
    _surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    _cr = cairo_create(_surface);
    cairo_scale(_cr, _scale, _scale);
}

Painter::~Painter()
{
    cairo_destroy(_cr);
    cairo_surface_destroy(_surface);
}

int Painter::pixelWidth() const
{
    return cairo_image_surface_get_width(_surface);
}

int Painter::pixelHeight() const
{
    return cairo_image_surface_get_height(_surface);
}

void Painter::save()
{
    cairo_save(_cr);
    _nesting.push_back(Nesting::Save);
}

void Painter::beginFrame()
{
    while (!_nesting.empty()) {
        if (_nesting.back() == Nesting::Group)
            endGroup(0);
        else
            restore();
    }
    cairo_reset_clip(_cr);
    cairo_identity_matrix(_cr);
    cairo_scale(_cr, _scale, _scale);
}

void Painter::restore()
{
    // Cairo treats an unmatched restore as fatal for the context: every later call would fail.
    if (_nesting.empty() || _nesting.back() != Nesting::Save)
        return;
    _nesting.pop_back();
    cairo_restore(_cr);
}

void Painter::translate(double dx, double dy)
{
    cairo_translate(_cr, dx, dy);
}

void Painter::scaleBy(double sx, double sy)
{
    // A zero scale would make the matrix singular, which Cairo also treats as fatal.
    if (sx == 0 || sy == 0 || !std::isfinite(sx) || !std::isfinite(sy))
        return;
    cairo_scale(_cr, sx, sy);
}

void Painter::clip(const Rect& rect, double cornerRadius)
{
    if (cornerRadius > 0 && rect.width > 0 && rect.height > 0)
        roundedRectPath(_cr, rect, cornerRadius);
    else
        cairo_rectangle(_cr, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(_cr);
}

void Painter::beginGroup()
{
    cairo_push_group(_cr);
    _nesting.push_back(Nesting::Group);
}

void Painter::endGroup(double opacity)
{
    if (_nesting.empty() || _nesting.back() != Nesting::Group)
        return;
    _nesting.pop_back();
    cairo_pop_group_to_source(_cr);
    cairo_paint_with_alpha(_cr, std::clamp(opacity, 0.0, 1.0));
}

void Painter::clear(const RGBA& color)
{
    cairo_save(_cr);
    cairo_set_operator(_cr, CAIRO_OPERATOR_SOURCE);
    setColor(_cr, color);
    cairo_paint(_cr);
    cairo_restore(_cr);
}

void Painter::fillRect(const Rect& rect, const RGBA& color)
{
    cairo_rectangle(_cr, rect.x, rect.y, rect.width, rect.height);
    setColor(_cr, color);
    cairo_fill(_cr);
}

void Painter::fillRoundedRect(const Rect& rect, double radius, const RGBA& color)
{
    roundedRectPath(_cr, rect, radius);
    setColor(_cr, color);
    cairo_fill(_cr);
}

void Painter::fillRoundedRect(const Rect& rect, double radius, const std::vector<GradientStop>& gradient)
{
    if (gradient.empty() || rect.width <= 0 || rect.height <= 0)
        return;
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, rect.y, 0, rect.y + rect.height);
    for (const GradientStop& stop : gradient)
        cairo_pattern_add_color_stop_rgba(pattern, std::clamp(stop.offset, 0.0, 1.0), stop.color.r, stop.color.g,
            stop.color.b, stop.color.a);
    roundedRectPath(_cr, rect, radius);
    cairo_set_source(_cr, pattern);
    cairo_fill(_cr);
    cairo_pattern_destroy(pattern);
}

void Painter::strokeRoundedRect(const Rect& rect, double radius, double lineWidth, const RGBA& color)
{
    if (lineWidth <= 0)
        return;
    roundedRectPath(_cr, inset(rect, lineWidth / 2), radius - lineWidth / 2);
    setColor(_cr, color);
    cairo_set_line_width(_cr, lineWidth);
    cairo_stroke(_cr);
}

void Painter::fillEllipse(const Rect& rect, const RGBA& color)
{
    if (rect.width <= 0 || rect.height <= 0)
        return;
    cairo_save(_cr);
    cairo_translate(_cr, rect.x + rect.width / 2, rect.y + rect.height / 2);
    cairo_scale(_cr, rect.width / 2, rect.height / 2);
    cairo_arc(_cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(_cr);
    setColor(_cr, color);
    cairo_fill(_cr);
}

void Painter::fillShadow(const Rect& rect, double radius, double blur, const RGBA& color)
{
    if (blur <= 0) {
        fillRoundedRect(rect, radius, color);
        return;
    }
    // Nested rounded rectangles, largest first, each laid over the ones before so that the
    // accumulated alpha climbs in equal steps from nothing at the outer edge to the colour's own
    // alpha at the inner one. About one step per device pixel of blur, capped to stay cheap.
    int steps = std::clamp(static_cast<int>(std::ceil(blur * _scale)), 1, 12);
    double alpha = std::clamp(color.a, 0.0, 1.0);
    double reached = 0;
    for (int step = 1; step <= steps; ++step) {
        double target = alpha * step / steps;
        double layerAlpha = 1 - (1 - target) / (1 - reached);
        double grow = blur / 2 - blur * (step - 0.5) / steps;
        roundedRectPath(_cr, inset(rect, -grow), radius + grow);
        cairo_set_source_rgba(_cr, color.r, color.g, color.b, layerAlpha);
        cairo_fill(_cr);
        reached = target;
    }
}

void Painter::line(double x0, double y0, double x1, double y1, double width, const RGBA& color)
{
    if (width <= 0)
        return;
    cairo_move_to(_cr, x0, y0);
    cairo_line_to(_cr, x1, y1);
    cairo_set_line_width(_cr, width);
    setColor(_cr, color);
    cairo_stroke(_cr);
}

void Painter::fillPath(const std::vector<std::pair<double, double>>& points, const RGBA& color)
{
    if (points.size() < 3)
        return;
    cairo_move_to(_cr, points.front().first, points.front().second);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(_cr, points[i].first, points[i].second);
    cairo_close_path(_cr);
    setColor(_cr, color);
    cairo_fill(_cr);
}

void Painter::strokeArc(
    double cx, double cy, double radius, double angle0, double angle1, double width, const RGBA& color)
{
    if (radius <= 0 || width <= 0)
        return;
    cairo_new_sub_path(_cr);
    cairo_arc(_cr, cx, cy, radius, angle0, angle1);
    cairo_set_line_width(_cr, width);
    setColor(_cr, color);
    cairo_stroke(_cr);
}

void Painter::blurRegion(const Rect& rect, double radius, double cornerRadius)
{
    if (!(radius > 0) || !std::isfinite(radius) || !(rect.width > 0) || !(rect.height > 0) || !isFinite(rect))
        return;
    // Inside a group the pixels drawn so far are the group's, in a surface of its own that is
    // offset from the frame's.
    cairo_surface_t* target = cairo_get_group_target(_cr);
    if (!holdsARGBPixels(target))
        return;
    std::optional<PixelRect> region = regionBeneath(_cr, target, rect);
    if (!region)
        return;
    int reach = reachInPixels(_cr, radius);
    // Under three pixels, one for each box, there is nothing to soften.
    if (reach < 3)
        return;

    cairo_surface_flush(target);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(target));
    int stride = cairo_image_surface_get_stride(target) / 4;
    // A bar over a plain background is the common case, and needs nothing.
    if (!pixels || BoxBlur::isFlat(pixels, stride, *region))
        return;
    if (!_blur)
        _blur = std::make_unique<BoxBlur>();
    BoxBlur::Result blurred = _blur->run(pixels, stride, *region, reach);
    if (blurred.pixels)
        paintBlurred(_cr, blurred, *region, rect, cornerRadius);
}

void Painter::drawImage(const Image& image, const Rect& destination, double opacity, double darken)
{
    if (!image.surface() || image.width() == 0 || image.height() == 0 || destination.width <= 0
        || destination.height <= 0 || opacity <= 0)
        return;
    cairo_save(_cr);
    cairo_translate(_cr, destination.x, destination.y);
    cairo_scale(_cr, destination.width / image.width(), destination.height / image.height());
    // An image at its own size on whole device pixels is copied pixel for pixel, each of its
    // pixels a crisp block of scale x scale; smoothing would only blur it. Stretched, it is smoothed.
    double originX = 0, originY = 0, pixelX = 1, pixelY = 1;
    cairo_user_to_device(_cr, &originX, &originY);
    cairo_user_to_device_distance(_cr, &pixelX, &pixelY);
    auto whole = [](double value) { return std::abs(value - std::round(value)) < 1e-6; };
    bool ownSize = destination.width == image.width() && destination.height == image.height();
    bool crisp = ownSize && whole(originX) && whole(originY) && whole(pixelX) && whole(pixelY) && pixelX >= 1;
    cairo_rectangle(_cr, 0, 0, image.width(), image.height());
    cairo_clip(_cr);
    bool darkened = darken > 0;
    if (darkened)
        cairo_push_group(_cr);
    cairo_set_source_surface(_cr, image.surface(), 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(_cr);
    cairo_pattern_set_filter(pattern, crisp ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    // Padding keeps the edges of an enlarged image from being filtered against transparency.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    if (darkened) {
        cairo_paint(_cr);
        // Black over the image's own pixels only: the transparent parts stay transparent.
        cairo_set_operator(_cr, CAIRO_OPERATOR_ATOP);
        cairo_set_source_rgba(_cr, 0, 0, 0, std::min(darken, 1.0));
        cairo_paint(_cr);
        cairo_pop_group_to_source(_cr);
    }
    if (opacity >= 1)
        cairo_paint(_cr);
    else
        cairo_paint_with_alpha(_cr, opacity);
    cairo_restore(_cr);
}

Size measureText(std::string_view utf8, const TextStyle& style, double width)
{
    return textSize(utf8, style, width);
}

Size Painter::measureText(std::string_view utf8, const TextStyle& style, double width) const
{
    return render::measureText(utf8, style, width);
}

void Painter::drawText(std::string_view utf8, const Rect& rect, const TextStyle& style)
{
    if (utf8.empty() || rect.width <= 0)
        return;
    if (style.shadow) {
        // The shadow is the same text in one colour: runs give up their own colours to it.
        TextStyle shadowStyle = style;
        shadowStyle.shadow.reset();
        shadowStyle.color = style.shadow->color;
        for (TextRun& run : shadowStyle.runs)
            run.color.reset();
        drawText(utf8, { rect.x + style.shadow->dx, rect.y + style.shadow->dy, rect.width, rect.height }, shadowStyle);
    }
    PangoLayoutPtr layout = makeLayout(utf8, style, rect.width, Wrapping::ByStyle);
    Rect logical = logicalExtents(layout.get());
    setColor(_cr, style.color);

    if (wraps(style, Wrapping::ByStyle)) {
        showLayout(_cr, layout.get(), rect.x, rect.y);
        return;
    }

    double x = rect.x + alignedOffset(style.alignment, rect.width - logical.width) - logical.x;
    double y = rect.y + (rect.height - logical.height) / 2 - logical.y;
    if (style.lineBreak != LineBreak::SingleLineClip) {
        showLayout(_cr, layout.get(), x, y);
        return;
    }
    // Clipped text is cut at the rect's sides only: a line taller than its rect still shows whole.
    cairo_save(_cr);
    double top = std::min(rect.y, y) - logical.height;
    double bottom = std::max(rect.y + rect.height, y + logical.height) + logical.height;
    cairo_rectangle(_cr, rect.x, top, rect.width, bottom - top);
    cairo_clip(_cr);
    showLayout(_cr, layout.get(), x, y);
    cairo_restore(_cr);
}

double Painter::drawTextTopAligned(std::string_view utf8, const Rect& rect, const TextStyle& style, double scrollOffset)
{
    if (utf8.empty() || rect.width <= 0)
        return 0;
    PangoLayoutPtr layout = makeLayout(utf8, style, rect.width, Wrapping::Always);
    cairo_save(_cr);
    cairo_rectangle(_cr, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(_cr);
    setColor(_cr, style.color);
    showLayout(_cr, layout.get(), rect.x, rect.y - scrollOffset);
    cairo_restore(_cr);
    return logicalExtents(layout.get()).height;
}

void Painter::drawTextLayout(const TextLayout& layout, double x, double y, double top, double bottom, const RGBA& color)
{
    // The origin goes to a whole device pixel, as showLayout puts it, so a line looks the same
    // whether it is drawn alone or with the whole layout.
    auto [originX, originY] = wholeDevicePixel(_cr, x, y);
    setColor(_cr, color);
    for (auto& line : layout.linesBetween(top, bottom))
        showLayoutLine(_cr, line.line, originX + line.left, originY + line.baseline);
    cairo_new_path(_cr);
}

void Painter::fillTextRange(const TextLayout& layout, double x, double y, size_t start, size_t end, double top,
    double bottom, const RGBA& color)
{
    auto rects = layout.rangeRects(start, end, top, bottom);
    if (rects.empty())
        return;
    for (auto& rect : rects)
        cairo_rectangle(_cr, x + rect.x, y + rect.y, rect.width, rect.height);
    setColor(_cr, color);
    cairo_fill(_cr);
}

std::string Painter::visibleText(std::string_view utf8, const TextStyle& style, double width) const
{
    return visibleTextOf(makeLayout(utf8, style, width, Wrapping::ByStyle).get());
}

bool Painter::writePNG(const std::string& path, std::string& error) const
{
    return writeSurfaceAsPNG(_surface, path, error);
}

const unsigned char* Painter::data() const
{
    cairo_surface_flush(_surface);
    return cairo_image_surface_get_data(_surface);
}

int Painter::stride() const
{
    return cairo_image_surface_get_stride(_surface);
}

} // namespace render
