#pragma once

#include "platform/render/Painter.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct _PangoLayoutLine PangoLayoutLine;

namespace render {

// Wrapped text laid out once and kept: a text view lays out its text when the text, its
// attributes, its font or its width change, and each frame then draws only the lines it shows.
// Each paragraph is a layout of its own, so the cost of laying out grows with the length of the
// text and no more (one layout of a whole long text slows down with every line it adds).
// Indexes are UTF-8 byte offsets into the laid-out text; coordinates are points from the layout's
// top left corner.
class TextLayout {
public:
    static std::unique_ptr<TextLayout> create(std::string_view utf8, const TextStyle& style, double width);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    double height() const { return _height; }
    size_t lineCount() const { return _lines.size(); }
    const std::string& text() const { return _text; }

    // The byte index of the character nearest to a point.
    size_t indexAtPoint(double x, double y) const;
    // The word around a byte index as a byte range [start, end); the one character there when it
    // is not part of a word.
    std::pair<size_t, size_t> wordAt(size_t index) const;

    struct Line {
        PangoLayoutLine* line = nullptr;
        // Where the line's paragraph starts in the text: the line's own indexes count from there.
        size_t paragraphStart = 0;
        double left = 0;
        double top = 0;
        double bottom = 0;
        double baseline = 0;
    };
    // The lines that reach into [top, bottom), in order.
    std::pair<const Line*, const Line*> linesBetween(double top, double bottom) const;

private:
    TextLayout() = default;

    struct Paragraph;
    std::vector<Paragraph> _paragraphs;
    std::string _text;
    std::vector<Line> _lines;
    double _height = 0;
};

} // namespace render
