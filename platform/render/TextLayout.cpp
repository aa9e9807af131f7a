#include "platform/render/TextLayout.h"

#include "platform/render/Fonts.h"

#include <pango/pangocairo.h>

#include <algorithm>

namespace render {

namespace {

double fromPango(int units)
{
    return static_cast<double>(units) / PANGO_SCALE;
}

bool isWordCharacter(gunichar c)
{
    return g_unichar_isalnum(c) || c == '_' || g_unichar_ismark(c);
}

} // namespace

struct TextLayout::Paragraph {
    size_t start = 0;
    double top = 0;
    double bottom = 0;
    PangoLayout* layout = nullptr;

    explicit Paragraph(size_t start)
        : start(start)
    {
    }
    Paragraph(Paragraph&& other) noexcept
        : start(other.start)
        , top(other.top)
        , bottom(other.bottom)
        , layout(std::exchange(other.layout, nullptr))
    {
    }
    Paragraph(const Paragraph&) = delete;
    ~Paragraph()
    {
        if (layout)
            g_object_unref(layout);
    }
};

std::unique_ptr<TextLayout> TextLayout::create(std::string_view utf8, const TextStyle& style, double width)
{
    std::unique_ptr<TextLayout> result(new TextLayout);
    if (g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
        result->_text = utf8;
    } else {
        gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
        result->_text = valid;
        g_free(valid);
    }
    const std::string& text = result->_text;

    // Runs come in order; each paragraph takes the part of them that falls within it.
    size_t firstRun = 0;
    double y = 0;
    size_t start = 0;
    while (true) {
        int delimiter = 0, next = 0;
        pango_find_paragraph_boundary(text.data() + start, static_cast<int>(text.size() - start), &delimiter, &next);
        size_t end = start + static_cast<size_t>(delimiter);

        TextStyle paragraphStyle;
        paragraphStyle.font = style.font;
        paragraphStyle.color = style.color;
        paragraphStyle.alignment = style.alignment;
        paragraphStyle.lineBreak = LineBreak::WordWrap;
        paragraphStyle.lineHeight = style.lineHeight;
        while (firstRun < style.runs.size() && style.runs[firstRun].end <= start)
            ++firstRun;
        for (size_t i = firstRun; i < style.runs.size() && style.runs[i].start < end; ++i) {
            TextRun run = style.runs[i];
            run.start = std::max(run.start, start) - start;
            run.end = std::min(run.end, end) - start;
            paragraphStyle.runs.push_back(run);
        }
        // An empty paragraph is as tall as a line in the font its first character would have.
        if (start == end && firstRun < style.runs.size() && style.runs[firstRun].start <= start && style.runs[firstRun].font)
            paragraphStyle.font = *style.runs[firstRun].font;

        Paragraph paragraph(start);
        paragraph.layout = newWrappedLayout(std::string_view(text).substr(start, end - start), paragraphStyle, width);
        paragraph.top = y;
        PangoLayoutIter* iter = pango_layout_get_iter(paragraph.layout);
        do {
            PangoRectangle logical;
            pango_layout_iter_get_line_extents(iter, nullptr, &logical);
            Line line;
            line.line = pango_layout_iter_get_line_readonly(iter);
            line.paragraphStart = start;
            line.left = fromPango(logical.x);
            line.top = y + fromPango(logical.y);
            line.bottom = y + fromPango(logical.y + logical.height);
            line.baseline = y + fromPango(pango_layout_iter_get_baseline(iter));
            result->_lines.push_back(line);
        } while (pango_layout_iter_next_line(iter));
        pango_layout_iter_free(iter);
        PangoRectangle extents;
        pango_layout_get_extents(paragraph.layout, nullptr, &extents);
        y += fromPango(extents.height);
        paragraph.bottom = y;
        result->_paragraphs.push_back(std::move(paragraph));

        if (static_cast<size_t>(next) == text.size() - start && delimiter == next)
            break;
        start += static_cast<size_t>(next);
    }
    result->_height = y;
    return result;
}

TextLayout::~TextLayout() = default;

std::pair<const TextLayout::Line*, const TextLayout::Line*> TextLayout::linesBetween(double top, double bottom) const
{
    auto first = std::partition_point(_lines.begin(), _lines.end(), [&](const Line& line) { return line.bottom <= top; });
    auto last = std::partition_point(first, _lines.end(), [&](const Line& line) { return line.top < bottom; });
    return { _lines.data() + (first - _lines.begin()), _lines.data() + (last - _lines.begin()) };
}

size_t TextLayout::indexAtPoint(double x, double y) const
{
    if (_text.empty())
        return 0;
    // Above the text is its start and below it its end, as a finger dragged past either expects.
    if (y < 0)
        return 0;
    if (y >= _height)
        return _text.size();
    auto paragraph = std::partition_point(
        _paragraphs.begin(), _paragraphs.end(), [&](const Paragraph& p) { return p.bottom <= y; });
    if (paragraph == _paragraphs.end())
        return _text.size();
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(paragraph->layout, static_cast<int>(x * PANGO_SCALE),
        static_cast<int>((y - paragraph->top) * PANGO_SCALE), &index, &trailing);
    const char* position = _text.data() + paragraph->start + index;
    for (; trailing > 0 && *position; --trailing)
        position = g_utf8_next_char(position);
    return static_cast<size_t>(position - _text.data());
}

std::pair<size_t, size_t> TextLayout::wordAt(size_t index) const
{
    if (_text.empty())
        return { 0, 0 };
    const char* begin = _text.data();
    const char* end = begin + _text.size();
    const char* at = begin + std::min(index, _text.size());
    if (at == end)
        at = g_utf8_prev_char(at);
    // Back up to the start of the character the index falls in.
    while (at > begin && (static_cast<unsigned char>(*at) & 0xC0) == 0x80)
        --at;
    if (!isWordCharacter(g_utf8_get_char(at)))
        return { static_cast<size_t>(at - begin), static_cast<size_t>(g_utf8_next_char(at) - begin) };
    const char* start = at;
    while (start > begin) {
        const char* previous = g_utf8_prev_char(start);
        if (!isWordCharacter(g_utf8_get_char(previous)))
            break;
        start = previous;
    }
    const char* finish = at;
    while (finish < end && isWordCharacter(g_utf8_get_char(finish)))
        finish = g_utf8_next_char(finish);
    return { static_cast<size_t>(start - begin), static_cast<size_t>(finish - begin) };
}

} // namespace render
