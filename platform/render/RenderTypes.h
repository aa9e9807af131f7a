#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace render {

// Everything here is in points; the painter maps points to pixels by the surface's scale.
struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
};
struct Size {
    double width = 0, height = 0;
};
struct RGBA {
    double r = 0, g = 0, b = 0, a = 1;
};

enum class FontWeight {
    Regular,
    Semibold,
    Bold,
};

// A font as the views name it: a family ("Helvetica", or empty for the system font) and an
// absolute size in points of the view's coordinate space.
struct Font {
    std::string family;
    double size = 17;
    FontWeight weight = FontWeight::Regular;
};

enum class TextAlignment {
    Left,
    Center,
    Right,
};
enum class LineBreak {
    SingleLineTruncateTail,
    SingleLineTruncateMiddle,
    SingleLineClip,
    WordWrap,
};

// A span of text with its own font and colour, in UTF-8 byte offsets [start, end).
struct TextRun {
    size_t start = 0;
    size_t end = 0;
    std::optional<Font> font;
    std::optional<RGBA> color;
};

// A copy of the text drawn beneath it, moved by (dx, dy) points, in one colour: the engraved
// titles of glossy bars and alerts.
struct TextShadow {
    RGBA color { 0, 0, 0, 0.5 };
    double dx = 0, dy = -1;
};

struct TextStyle {
    Font font;
    RGBA color { 0, 0, 0, 1 };
    std::optional<TextShadow> shadow;
    TextAlignment alignment = TextAlignment::Left;
    LineBreak lineBreak = LineBreak::SingleLineTruncateTail;
    // The distance from one line of wrapped text to the next, in points; 0 keeps the font's own.
    double lineHeight = 0;
    std::vector<TextRun> runs;
};

// A colour at a point of a gradient, from 0 at its start to 1 at its end.
struct GradientStop {
    double offset = 0;
    RGBA color;
};

} // namespace render
