#pragma once

#include "platform/render/RenderTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct _PangoLayoutLine PangoLayoutLine;

namespace render {

// A span of a TextLayout's text with its own font and colour, in UTF-16 units [start, end).
struct UnitRun {
    size_t start = 0;
    size_t end = 0;
    std::optional<Font> font;
    std::optional<RGBA> color;
};

// Wrapped text of any length, laid out as it is looked at. The text is cut once into blocks of a
// few thousand characters (whole paragraphs where they fit, pieces of a longer paragraph cut at a
// space or between characters otherwise); a block is shaped only when a part of the content that
// reaches into it is asked for, and only a few recent blocks keep their Pango layout. Every block
// keeps its height: measured once it has been laid out, an estimate from the number of characters
// before that. So height() and every y coordinate are exact only where isExact() says so; a
// caller that keeps a position in the content (a scroll offset) moves it by what layOutBetween
// reports, so that what it shows stays where it was.
//
// No single Pango call gets unbounded work: a block holds at most a few thousand characters, and
// a character takes at most kMaximumMarksPerCharacter combining marks into its layout (the rest
// are left out of the drawing only; indexes still count them).
//
// Indexes are UTF-16 units of the text; coordinates are points from the layout's top left corner.
class TextLayout {
public:
    // The text is read, not copied: it must outlive the layout and keep its characters. The
    // style gives the font, colour, alignment and line height; runs come in order and do not overlap.
    static std::unique_ptr<TextLayout> create(
        std::u16string_view text, const TextStyle& style, std::vector<UnitRun> runs, double width);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    static constexpr size_t kBlockUnits = 2048;
    static constexpr size_t kMaximumParagraphsPerBlock = 64;
    static constexpr size_t kMaximumMarksPerCharacter = 32;
    // A text up to this many units is laid out whole the first time any of it is needed.
    static constexpr size_t kLaidOutWhole = 4 * kBlockUnits;
    // How many blocks keep their Pango layout besides those a frame is drawing.
    static constexpr size_t kCachedBlocks = 48;

    // New attributes after the runs over [start, end) changed: the blocks there are laid out again
    // when next needed.
    void setRuns(std::vector<UnitRun> runs, size_t start, size_t end);

    // The height of the whole text: measured blocks plus the estimates of the others.
    double height() const;
    bool isExact() const { return _estimatedBlocks == 0; }
    size_t blockCount() const { return _blocks.size(); }

    struct Refinement {
        // How much the content above `anchor` grew (or shrank, when negative) as blocks there
        // were measured.
        double shiftAbove = 0;
        bool measuredAny = false;
    };
    // Lays out every block that reaches into [top, bottom).
    Refinement layOutBetween(double top, double bottom, double anchor);
    // Lays out the whole text, however long: for tests and tools, never for a frame.
    void layOutEverything();

    // How many lines the blocks laid out so far have, with estimates for the others.
    size_t lineCount() const;

    // The index of the character nearest to a point, laying out the block there if it must.
    size_t indexAtPoint(double x, double y);
    // The word around an index as a range [start, end) of units; the one character there when it
    // is not part of a word.
    std::pair<size_t, size_t> wordAt(size_t index) const;

    struct Line {
        PangoLayoutLine* line = nullptr;
        double left = 0;
        double top = 0;
        double bottom = 0;
        double baseline = 0;
    };
    // The laid-out lines that reach into [top, bottom), in order. Blocks not laid out are skipped:
    // call layOutBetween first.
    std::vector<Line> linesBetween(double top, double bottom) const;
    // The boxes the characters [start, end) occupy within the laid-out lines in [top, bottom): a
    // selection's highlight.
    std::vector<Rect> rangeRects(size_t start, size_t end, double top, double bottom) const;

private:
    TextLayout(std::u16string_view text, const TextStyle& style, std::vector<UnitRun> runs, double width);

    struct Block {
        size_t start = 0;
        size_t end = 0;
        // The paragraph delimiter at the block's end, which is not laid out.
        uint8_t delimiter = 0;
        bool startsParagraph = true;
        bool measured = false;
        uint32_t lines = 1;
        double height = 0;
    };
    struct LaidOutBlock;

    void cutIntoBlocks();
    size_t cutPoint(size_t start, size_t limit, size_t paragraphEnd) const;
    uint32_t estimatedLines(size_t characters, bool atLeastOne) const;
    void updateTops() const;
    size_t blockAt(double y) const;
    LaidOutBlock& laidOut(size_t block);
    const LaidOutBlock* cached(size_t block) const;
    void evictBeyondCapacity();
    std::string textOfBlock(const Block&, std::vector<TextRun>& runs) const;
    size_t byteOfIndex(const Block&, size_t index) const;
    size_t indexOfByte(const Block&, size_t byte) const;

    std::u16string_view _text;
    TextStyle _style;
    std::vector<UnitRun> _runs;
    double _width = 0;
    double _averageAdvance = 8;
    double _lineHeight = 19;

    std::vector<Block> _blocks;
    // The top of each block; worked out again from _topsValidBelow on, after blocks changed height.
    mutable std::vector<double> _tops;
    mutable size_t _topsValidBelow = 0;
    size_t _estimatedBlocks = 0;

    std::vector<std::unique_ptr<LaidOutBlock>> _cache;
    uint64_t _useCount = 0;
};

} // namespace render
