#include "platform/render/PangoText.h"

#include "platform/render/Fonts.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace render {

static_assert(kPangoUnitsPerPoint == PANGO_SCALE);

namespace {

int toPango(double points)
{
    return static_cast<int>(std::lround(points * PANGO_SCALE));
}

guint16 colorChannel(double value)
{
    return static_cast<guint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535));
}

void addRunAttributes(PangoAttrList* attributes, const TextRun& run, size_t textLength)
{
    size_t end = std::min(run.end, textLength);
    if (run.start >= end)
        return;
    auto add = [&](PangoAttribute* attribute) {
        attribute->start_index = static_cast<guint>(run.start);
        attribute->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attributes, attribute);
    };
    if (run.font)
        add(pango_attr_font_desc_new(fontDescription(*run.font)));
    if (run.color) {
        add(pango_attr_foreground_new(
            colorChannel(run.color->r), colorChannel(run.color->g), colorChannel(run.color->b)));
        // Without an alpha of its own the run would be opaque whatever the style's colour; Pango
        // reads an alpha of 0 as "unset", so the most transparent it can be is 1/65535.
        add(pango_attr_foreground_alpha_new(std::max<guint16>(colorChannel(run.color->a), 1)));
    }
}

} // namespace

void PangoLayoutDeleter::operator()(PangoLayout* layout) const
{
    g_object_unref(layout);
}

bool wraps(const TextStyle& style, Wrapping wrapping)
{
    return wrapping == Wrapping::Always || style.lineBreak == LineBreak::WordWrap;
}

PangoLayoutPtr makeLayout(std::string_view utf8, const TextStyle& style, double width, Wrapping wrapping)
{
    PangoLayoutPtr layout(pango_layout_new(sharedPangoContext()));
    PangoLayout* raw = layout.get();

    std::string validated;
    if (!g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
        gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
        validated = valid;
        g_free(valid);
        utf8 = validated;
    }
    pango_layout_set_text(raw, utf8.data(), static_cast<int>(utf8.size()));
    pango_layout_set_font_description(raw, fontDescription(style.font));

    bool spaced = style.lineHeight > 0 && std::isfinite(style.lineHeight) && wraps(style, wrapping);
    if (!style.runs.empty() || spaced) {
        PangoAttrList* attributes = pango_attr_list_new();
        for (const TextRun& run : style.runs)
            addRunAttributes(attributes, run, utf8.size());
        // Pango shares the room a line gains or loses evenly above and below its text.
        if (spaced)
            pango_attr_list_insert(attributes, pango_attr_line_height_new_absolute(toPango(std::min(style.lineHeight, 10000.0))));
        pango_layout_set_attributes(raw, attributes);
        pango_attr_list_unref(attributes);
    }

    if (wraps(style, wrapping)) {
        pango_layout_set_wrap(raw, PANGO_WRAP_WORD_CHAR);
        if (width >= 0)
            pango_layout_set_width(raw, toPango(width));
        switch (style.alignment) {
        case TextAlignment::Left:
            pango_layout_set_alignment(raw, PANGO_ALIGN_LEFT);
            break;
        case TextAlignment::Center:
            pango_layout_set_alignment(raw, PANGO_ALIGN_CENTER);
            break;
        case TextAlignment::Right:
            pango_layout_set_alignment(raw, PANGO_ALIGN_RIGHT);
            break;
        }
        return layout;
    }

    // Single-line text is placed by whoever draws it, so the layout stays left-aligned.
    pango_layout_set_single_paragraph_mode(raw, TRUE);
    if (width >= 0 && style.lineBreak != LineBreak::SingleLineClip) {
        pango_layout_set_width(raw, toPango(width));
        pango_layout_set_ellipsize(
            raw, style.lineBreak == LineBreak::SingleLineTruncateMiddle ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
    }
    return layout;
}

PangoLayoutPtr newWrappedLayout(std::string_view utf8, const TextStyle& style, double width)
{
    return makeLayout(utf8, style, width, Wrapping::Always);
}

Rect logicalExtents(PangoLayout* layout)
{
    PangoRectangle logical { };
    pango_layout_get_extents(layout, nullptr, &logical);
    return { fromPango(logical.x), fromPango(logical.y), fromPango(logical.width), fromPango(logical.height) };
}

Size textSize(std::string_view utf8, const TextStyle& style, double width)
{
    PangoLayoutPtr layout = makeLayout(utf8, style, wraps(style, Wrapping::ByStyle) ? width : -1, Wrapping::ByStyle);
    Rect logical = logicalExtents(layout.get());
    return { logical.width, logical.height };
}

std::string visibleTextOf(PangoLayout* layout)
{
    const char* text = pango_layout_get_text(layout);
    std::string result;
    int lineCount = pango_layout_get_line_count(layout);
    for (int index = 0; index < lineCount; ++index) {
        if (index)
            result += '\n';
        PangoLayoutLine* line = pango_layout_get_line_readonly(layout, index);
        for (GSList* runs = line->runs; runs; runs = runs->next) {
            auto* run = static_cast<PangoGlyphItem*>(runs->data);
            if (run->item->analysis.flags & PANGO_ANALYSIS_FLAG_IS_ELLIPSIS)
                result += "…";
            else
                result.append(text + run->item->offset, static_cast<size_t>(run->item->length));
        }
    }
    return result;
}

std::pair<double, double> wholeDevicePixel(cairo_t* cr, double x, double y)
{
    cairo_user_to_device(cr, &x, &y);
    x = std::round(x);
    y = std::round(y);
    cairo_device_to_user(cr, &x, &y);
    return { x, y };
}

void showLayout(cairo_t* cr, PangoLayout* layout, double x, double y)
{
    auto [left, top] = wholeDevicePixel(cr, x, y);
    cairo_move_to(cr, left, top);
    pango_cairo_show_layout(cr, layout);
    cairo_new_path(cr);
}

void showLayoutLine(cairo_t* cr, PangoLayoutLine* line, double x, double baseline)
{
    cairo_move_to(cr, x, baseline);
    pango_cairo_show_layout_line(cr, line);
}

} // namespace render
