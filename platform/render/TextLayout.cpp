#include "platform/render/TextLayout.h"

#include "platform/render/PangoText.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace render {

namespace {

// How far back from a block's bound a cut looks for a space or a boundary between characters.
constexpr size_t kCutWindow = 256;
// Wrapped lines end at a word, so on average a line holds a little less than its width.
constexpr double kFilledWidth = 0.9;

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// A code point that belongs to the character before it: combining marks, the zero-width joiner,
// variation selectors, emoji modifiers and tags.
bool isExtending(char32_t cp)
{
    if (cp < 0x300)
        return false;
    return cp == 0x200D || (cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0x1F3FB && cp <= 0x1F3FF)
        || (cp >= 0xE0020 && cp <= 0xE007F) || (cp >= 0xE0100 && cp <= 0xE01EF) || g_unichar_ismark(cp);
}

bool isWordCharacter(char32_t c)
{
    return g_unichar_isalnum(c) || c == '_' || g_unichar_ismark(c);
}

size_t utf8Length(char32_t cp)
{
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

void appendUTF8(std::string& out, char32_t cp)
{
    char bytes[6];
    out.append(bytes, static_cast<size_t>(g_unichar_to_utf8(cp, bytes)));
}

// The code point at a unit and how many units it takes; a lone surrogate reads as U+FFFD.
std::pair<char32_t, size_t> codePointAt(std::u16string_view text, size_t at, size_t end)
{
    char16_t unit = text[at];
    if (isHighSurrogate(unit) && at + 1 < end && isLowSurrogate(text[at + 1]))
        return { 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[at + 1]) - 0xDC00), 2 };
    if (isHighSurrogate(unit) || isLowSurrogate(unit))
        return { 0xFFFD, 1 };
    return { unit, 1 };
}

} // namespace

struct TextLayout::LaidOutBlock {
    size_t block = 0;
    PangoLayoutPtr layout;
    // In the block's own coordinates.
    std::vector<Line> lines;
    uint64_t lastUse = 0;
};

// Walks what of a block Pango is given, a code point at a time: f(unit, units, code point, bytes)
// with the UTF-8 bytes the code point takes in the laid-out text, 0 for marks past the cap.
// Returning false stops the walk. A NUL, which Pango cannot take, is shown as U+FFFD.
template<typename F>
static void forEachLaidOutCharacter(std::u16string_view text, size_t start, size_t end, F&& f)
{
    size_t marks = 0;
    for (size_t unit = start; unit < end;) {
        auto [cp, units] = codePointAt(text, unit, end);
        if (cp == 0)
            cp = 0xFFFD;
        size_t bytes = utf8Length(cp);
        if (isExtending(cp)) {
            if (++marks > TextLayout::kMaximumMarksPerCharacter)
                bytes = 0;
        } else {
            marks = 0;
        }
        if (!f(unit, units, cp, bytes))
            return;
        unit += units;
    }
}

std::unique_ptr<TextLayout> TextLayout::create(
    std::u16string_view text, const TextStyle& style, std::vector<UnitRun> runs, double width)
{
    return std::unique_ptr<TextLayout>(new TextLayout(text, style, std::move(runs), width));
}

TextLayout::TextLayout(std::u16string_view text, const TextStyle& style, std::vector<UnitRun> runs, double width)
    : _text(text)
    , _style(style)
    , _runs(std::move(runs))
    , _width(std::max(width, 0.0))
{
    _style.lineBreak = LineBreak::WordWrap;
    _style.runs.clear();
    // The estimates come from a line of ordinary text in the base font.
    static constexpr std::string_view kSample = "The quick brown fox jumps over the lazy dog, 1234567890.";
    Rect sample = logicalExtents(newWrappedLayout(kSample, _style, -1).get());
    _averageAdvance = std::max(sample.width / double(kSample.size()), 0.5);
    _lineHeight = std::max(sample.height, 1.0);
    cutIntoBlocks();
}

TextLayout::~TextLayout() = default;

uint32_t TextLayout::estimatedLines(size_t characters, bool atLeastOne) const
{
    double perLine = std::max(1.0, std::floor(_width * kFilledWidth / _averageAdvance));
    double lines = std::ceil(double(characters) / perLine);
    return static_cast<uint32_t>(std::clamp(lines, atLeastOne ? 1.0 : 0.0, 1e9));
}

size_t TextLayout::cutPoint(size_t start, size_t limit, size_t paragraphEnd) const
{
    if (limit >= paragraphEnd)
        return paragraphEnd;
    auto extendingAt = [&](size_t at) { return at < paragraphEnd && isExtending(codePointAt(_text, at, paragraphEnd).first); };
    size_t windowStart = std::max(start + 1, limit - std::min(limit, kCutWindow));
    // After a space the next piece starts on a new line where a wrap could have put it anyway.
    for (size_t at = limit; at > windowStart; --at) {
        if ((_text[at - 1] == u' ' || _text[at - 1] == u'\t') && !extendingAt(at))
            return at;
    }
    // Else between two characters, never inside one.
    for (size_t at = limit; at > windowStart; --at) {
        if (!isLowSurrogate(_text[at]) && _text[at - 1] != 0x200D && !extendingAt(at))
            return at;
    }
    // A long run of marks on one character stays in its block: past the cap they cost nothing.
    if (extendingAt(limit)) {
        size_t at = limit;
        while (extendingAt(at))
            at += codePointAt(_text, at, paragraphEnd).second;
        return at;
    }
    // Nothing but joined characters all the way: cut between code points.
    return isLowSurrogate(_text[limit]) ? limit - 1 : limit;
}

void TextLayout::cutIntoBlocks()
{
    // Characters that take room of their own: not marks, not the second halves of surrogate pairs.
    auto characters = [&](size_t from, size_t to) {
        size_t count = 0;
        for (size_t at = from; at < to; ++at) {
            char16_t unit = _text[at];
            count += unit < 0x300 || !(isLowSurrogate(unit) || isExtending(unit)) ? 1 : 0;
        }
        return count;
    };
    size_t length = _text.size();
    std::optional<Block> open;
    size_t paragraphsInBlock = 0;
    auto close = [&] {
        if (open)
            _blocks.push_back(*open);
        open.reset();
    };
    for (size_t start = 0;;) {
        // One pass finds the paragraph's end and counts its characters, quickly through Latin text.
        size_t contentEnd = start;
        size_t visible = 0;
        for (; contentEnd < length; ++contentEnd) {
            char16_t unit = _text[contentEnd];
            if (unit < 0x300) {
                if (unit == u'\n' || unit == u'\r')
                    break;
                ++visible;
                continue;
            }
            if (unit == 0x2029)
                break;
            visible += isLowSurrogate(unit) || isExtending(unit) ? 0 : 1;
        }
        uint8_t delimiter = 0;
        if (contentEnd < length)
            delimiter = _text[contentEnd] == u'\r' && contentEnd + 1 < length && _text[contentEnd + 1] == u'\n' ? 2 : 1;
        size_t next = contentEnd + delimiter;
        if (next - start <= kBlockUnits) {
            if (open && (next - open->start > kBlockUnits || paragraphsInBlock >= kMaximumParagraphsPerBlock))
                close();
            if (!open) {
                open = Block { .start = start, .lines = 0 };
                paragraphsInBlock = 0;
            }
            open->end = next;
            open->delimiter = delimiter;
            open->lines += estimatedLines(visible, true);
            ++paragraphsInBlock;
        } else {
            close();
            for (size_t piece = start; piece < next;) {
                size_t cut = cutPoint(piece, piece + kBlockUnits, contentEnd);
                bool last = cut == contentEnd;
                Block block { .start = piece, .end = last ? next : cut, .delimiter = last ? delimiter : uint8_t(0),
                    .startsParagraph = piece == start };
                block.lines = estimatedLines(characters(piece, cut), block.startsParagraph);
                _blocks.push_back(block);
                piece = block.end;
            }
        }
        if (!delimiter)
            break;
        start = next;
    }
    close();
    for (auto& block : _blocks)
        block.height = block.lines * _lineHeight;
    _estimatedBlocks = _blocks.size();
    _tops.assign(_blocks.size() + 1, 0);
    _topsValidBelow = 0;
}

void TextLayout::setRuns(std::vector<UnitRun> runs, size_t start, size_t end)
{
    _runs = std::move(runs);
    // A changed block keeps its height as an estimate until it is laid out again.
    auto first = std::partition_point(_blocks.begin(), _blocks.end(), [&](const Block& b) { return b.end <= start; });
    for (auto block = first; block != _blocks.end() && (block->start < end || block == first); ++block) {
        if (block->measured) {
            block->measured = false;
            ++_estimatedBlocks;
        }
        size_t index = size_t(block - _blocks.begin());
        std::erase_if(_cache, [&](const auto& laidOut) { return laidOut->block == index; });
    }
}

void TextLayout::updateTops() const
{
    for (size_t i = std::max<size_t>(_topsValidBelow, 1); i <= _blocks.size(); ++i)
        _tops[i] = _tops[i - 1] + _blocks[i - 1].height;
    _topsValidBelow = _blocks.size() + 1;
}

double TextLayout::height() const
{
    updateTops();
    return _tops.back();
}

size_t TextLayout::blockAt(double y) const
{
    updateTops();
    // The first block whose bottom lies below y.
    auto bottom = std::upper_bound(_tops.begin() + 1, _tops.end(), y);
    return std::min(size_t(bottom - _tops.begin()) - 1, _blocks.size() - 1);
}

const TextLayout::LaidOutBlock* TextLayout::cached(size_t block) const
{
    for (auto& laidOut : _cache) {
        if (laidOut->block == block)
            return laidOut.get();
    }
    return nullptr;
}

std::string TextLayout::textOfBlock(const Block& block, std::vector<TextRun>& runs) const
{
    size_t end = block.end - block.delimiter;
    // Run boundaries within the block, in order, mapped to bytes as the walk passes them.
    auto first = std::partition_point(_runs.begin(), _runs.end(), [&](const UnitRun& run) { return run.end <= block.start; });
    std::vector<std::pair<size_t, const UnitRun*>> boundaries;
    for (auto run = first; run != _runs.end() && run->start < end; ++run) {
        if (!run->font && !run->color)
            continue;
        boundaries.emplace_back(std::max(run->start, block.start), &*run);
        boundaries.emplace_back(std::min(run->end, end), nullptr);
    }
    std::vector<size_t> offsets;
    offsets.reserve(boundaries.size());
    std::string utf8;
    utf8.reserve(end - block.start);
    forEachLaidOutCharacter(_text, block.start, end, [&](size_t unit, size_t, char32_t cp, size_t bytes) {
        while (offsets.size() < boundaries.size() && boundaries[offsets.size()].first <= unit)
            offsets.push_back(utf8.size());
        if (bytes)
            appendUTF8(utf8, cp);
        return true;
    });
    offsets.resize(boundaries.size(), utf8.size());
    for (size_t i = 0; i + 1 < boundaries.size(); i += 2) {
        const UnitRun& run = *boundaries[i].second;
        runs.push_back({ offsets[i], offsets[i + 1], run.font, run.color });
    }
    return utf8;
}

size_t TextLayout::byteOfIndex(const Block& block, size_t index) const
{
    size_t bytes = 0;
    forEachLaidOutCharacter(_text, block.start, block.end - block.delimiter, [&](size_t unit, size_t, char32_t, size_t size) {
        if (unit >= index)
            return false;
        bytes += size;
        return true;
    });
    return bytes;
}

size_t TextLayout::indexOfByte(const Block& block, size_t byte) const
{
    // The last position at that byte: a caret after a character goes past the marks left out of it.
    size_t end = block.end - block.delimiter;
    size_t index = block.start;
    size_t bytes = 0;
    bool passed = false;
    forEachLaidOutCharacter(_text, block.start, end, [&](size_t unit, size_t, char32_t, size_t size) {
        if (bytes > byte) {
            passed = true;
            return false;
        }
        index = unit;
        bytes += size;
        return true;
    });
    return passed || bytes > byte ? index : end;
}

TextLayout::LaidOutBlock& TextLayout::laidOut(size_t index)
{
    for (auto& laidOut : _cache) {
        if (laidOut->block == index) {
            laidOut->lastUse = _useCount;
            return *laidOut;
        }
    }
    Block& block = _blocks[index];
    TextStyle style = _style;
    std::string utf8 = textOfBlock(block, style.runs);
    // An empty paragraph is as tall as a line in the font its first character would have.
    if (utf8.empty()) {
        auto run = std::partition_point(_runs.begin(), _runs.end(), [&](const UnitRun& r) { return r.end <= block.start; });
        if (run != _runs.end() && run->start <= block.start && run->font)
            style.font = *run->font;
    }
    auto entry = std::make_unique<LaidOutBlock>();
    entry->block = index;
    entry->lastUse = _useCount;
    entry->layout = newWrappedLayout(utf8, style, _width);
    PangoLayoutIter* iter = pango_layout_get_iter(entry->layout.get());
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        entry->lines.push_back({ .line = pango_layout_iter_get_line_readonly(iter),
            .left = fromPango(logical.x),
            .top = fromPango(logical.y),
            .bottom = fromPango(logical.y + logical.height),
            .baseline = fromPango(pango_layout_iter_get_baseline(iter)) });
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    double height = logicalExtents(entry->layout.get()).height;
    if (!block.measured) {
        block.measured = true;
        --_estimatedBlocks;
    }
    block.lines = static_cast<uint32_t>(entry->lines.size());
    if (height != block.height) {
        block.height = height;
        _topsValidBelow = std::min(_topsValidBelow, index + 1);
    }
    _cache.push_back(std::move(entry));
    return *_cache.back();
}

void TextLayout::evictBeyondCapacity()
{
    // The least recently used go first; whatever the current turn uses stays.
    while (_cache.size() > kCachedBlocks) {
        auto oldest = std::min_element(_cache.begin(), _cache.end(),
            [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
        if ((*oldest)->lastUse >= _useCount)
            return;
        _cache.erase(oldest);
    }
}

TextLayout::Refinement TextLayout::layOutBetween(double top, double bottom, double anchor)
{
    Refinement refinement;
    ++_useCount;
    // A text of a few blocks costs little more to lay out whole, and then every height is exact.
    if (_text.size() <= kLaidOutWhole) {
        top = -std::numeric_limits<double>::infinity();
        bottom = std::numeric_limits<double>::infinity();
    }
    for (size_t index = blockAt(top); index < _blocks.size(); ++index) {
        updateTops();
        if (_tops[index] >= bottom && _tops[index] > top)
            break;
        double oldBottom = _tops[index] + _blocks[index].height;
        double oldHeight = _blocks[index].height;
        bool estimated = !_blocks[index].measured;
        laidOut(index);
        if (estimated) {
            refinement.measuredAny = true;
            if (oldBottom <= anchor)
                refinement.shiftAbove += _blocks[index].height - oldHeight;
        }
    }
    evictBeyondCapacity();
    return refinement;
}

void TextLayout::layOutEverything()
{
    for (size_t index = 0; index < _blocks.size(); ++index) {
        ++_useCount;
        laidOut(index);
        evictBeyondCapacity();
    }
}

size_t TextLayout::lineCount() const
{
    size_t lines = 0;
    for (auto& block : _blocks)
        lines += block.lines;
    return lines;
}

size_t TextLayout::indexAtPoint(double x, double y)
{
    if (_text.empty() || y < 0)
        return 0;
    if (y >= height())
        return _text.size();
    size_t index = blockAt(y);
    ++_useCount;
    LaidOutBlock& laid = laidOut(index);
    updateTops();
    int byte = 0, trailing = 0;
    pango_layout_xy_to_index(laid.layout.get(), static_cast<int>(x * PANGO_SCALE),
        static_cast<int>((y - _tops[index]) * PANGO_SCALE), &byte, &trailing);
    const char* text = pango_layout_get_text(laid.layout.get());
    const char* position = text + byte;
    for (; trailing > 0 && *position; --trailing)
        position = g_utf8_next_char(position);
    size_t result = indexOfByte(_blocks[index], static_cast<size_t>(position - text));
    evictBeyondCapacity();
    return result;
}

std::pair<size_t, size_t> TextLayout::wordAt(size_t index) const
{
    if (_text.empty())
        return { 0, 0 };
    index = std::min(index, _text.size() - 1);
    // A word never reaches past its block, which keeps this bounded on text without spaces.
    auto block = std::partition_point(_blocks.begin(), _blocks.end(), [&](const Block& b) { return b.end <= index; });
    size_t begin = block == _blocks.end() ? 0 : block->start;
    size_t end = block == _blocks.end() ? _text.size() : block->end;
    if (index > begin && isLowSurrogate(_text[index]))
        --index;
    auto [cp, units] = codePointAt(_text, index, end);
    if (!isWordCharacter(cp))
        return { index, index + units };
    size_t start = index;
    while (start > begin) {
        size_t previous = start - 1;
        if (previous > begin && isLowSurrogate(_text[previous]) && isHighSurrogate(_text[previous - 1]))
            --previous;
        if (!isWordCharacter(codePointAt(_text, previous, end).first))
            break;
        start = previous;
    }
    size_t finish = index;
    while (finish < end) {
        auto [next, width] = codePointAt(_text, finish, end);
        if (!isWordCharacter(next))
            break;
        finish += width;
    }
    return { start, finish };
}

std::vector<TextLayout::Line> TextLayout::linesBetween(double top, double bottom) const
{
    std::vector<Line> lines;
    if (_blocks.empty())
        return lines;
    for (size_t index = blockAt(top); index < _blocks.size() && _tops[index] < bottom; ++index) {
        const LaidOutBlock* laid = cached(index);
        if (!laid)
            continue;
        double offset = _tops[index];
        for (Line line : laid->lines) {
            line.top += offset;
            line.bottom += offset;
            line.baseline += offset;
            if (line.bottom > top && line.top < bottom)
                lines.push_back(line);
        }
    }
    return lines;
}

std::vector<Rect> TextLayout::rangeRects(size_t start, size_t end, double top, double bottom) const
{
    std::vector<Rect> rects;
    if (start >= end || _blocks.empty())
        return rects;
    for (size_t index = blockAt(top); index < _blocks.size() && _tops[index] < bottom; ++index) {
        const Block& block = _blocks[index];
        const LaidOutBlock* laid = cached(index);
        if (!laid || block.end <= start || block.start >= end)
            continue;
        size_t first = byteOfIndex(block, std::max(start, block.start));
        size_t last = byteOfIndex(block, std::min(end, block.end));
        double offset = _tops[index];
        for (auto& line : laid->lines) {
            size_t lineStart = static_cast<size_t>(line.line->start_index);
            size_t lineEnd = lineStart + static_cast<size_t>(line.line->length);
            if (last <= lineStart || first > lineEnd || line.bottom + offset <= top || line.top + offset >= bottom)
                continue;
            int* ranges = nullptr;
            int count = 0;
            pango_layout_line_get_x_ranges(line.line, static_cast<int>(std::max(first, lineStart)),
                static_cast<int>(std::min(last, lineEnd)), &ranges, &count);
            for (int i = 0; i < count; ++i) {
                double left = fromPango(ranges[2 * i]), right = fromPango(ranges[2 * i + 1]);
                rects.push_back({ left, offset + line.top, right - left, line.bottom - line.top });
            }
            g_free(ranges);
        }
    }
    return rects;
}

} // namespace render
