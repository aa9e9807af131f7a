#include "platform/foundation/PropertyListLimits.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr size_t kTrailerSize = 32;

uint64_t readBigEndian(std::string_view bytes, size_t offset, size_t width)
{
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The objects of a binary list, as far as their shape goes.
class BinaryList {
public:
    explicit BinaryList(std::string_view bytes)
        : _bytes(bytes)
    {
    }

    bool check()
    {
        if (_bytes.size() < kBinaryMagic.size() + kTrailerSize || !_bytes.starts_with(kBinaryMagic))
            return false;
        size_t trailer = _bytes.size() - kTrailerSize;
        _offsetSize = static_cast<unsigned char>(_bytes[trailer + 6]);
        _referenceSize = static_cast<unsigned char>(_bytes[trailer + 7]);
        uint64_t objectCount = readBigEndian(_bytes, trailer + 8, 8);
        uint64_t top = readBigEndian(_bytes, trailer + 16, 8);
        _tableOffset = readBigEndian(_bytes, trailer + 24, 8);
        if (_offsetSize < 1 || _offsetSize > 8 || _referenceSize < 1 || _referenceSize > 8)
            return false;
        // The table lies between the objects and the trailer, and holds one offset per object.
        if (objectCount == 0 || top >= objectCount || _tableOffset < kBinaryMagic.size() || _tableOffset > trailer
            || objectCount > (trailer - _tableOffset) / _offsetSize)
            return false;
        _objectCount = static_cast<size_t>(objectCount);
        _cost.assign(_objectCount, 0);
        _height.assign(_objectCount, 0);
        _state.assign(_objectCount, State::Unvisited);
        return visit(static_cast<size_t>(top), 1).has_value();
    }

    // Meaningful once check() has passed.
    bool textIsWellFormed() const { return _textIsWellFormed; }

private:
    enum class State : uint8_t { Unvisited, OnPath, Done };

    // The expanded cost of the object and everything under it, or none when it breaks a rule.
    std::optional<uint64_t> visit(size_t object, int depth)
    {
        if (depth > kMaximumPropertyListDepth)
            return std::nullopt;
        if (_state[object] == State::OnPath)
            return std::nullopt;
        // An object met before still has to fit below this deeper place.
        if (_state[object] == State::Done)
            return depth + _height[object] - 1 > kMaximumPropertyListDepth ? std::nullopt : std::optional(_cost[object]);
        _state[object] = State::OnPath;

        uint64_t offset = readBigEndian(_bytes, static_cast<size_t>(_tableOffset) + object * _offsetSize, _offsetSize);
        if (offset < kBinaryMagic.size() || offset >= _tableOffset)
            return std::nullopt;
        size_t at = static_cast<size_t>(offset);
        unsigned char marker = static_cast<unsigned char>(_bytes[at]);
        unsigned kind = marker >> 4, info = marker & 0xF;
        uint64_t cost = kPropertyListNodeCost;
        uint64_t payload = 0;
        int height = 1;
        size_t contentStart = at + 1;
        switch (kind) {
        case 0x0:
            if (info != 0x0 && info != 0x8 && info != 0x9 && info != 0xF)
                return std::nullopt;
            break;
        case 0x1:
        case 0x2:
            if (info > 4)
                return std::nullopt;
            payload = uint64_t(1) << info;
            break;
        case 0x3:
            payload = 8;
            break;
        case 0x8:
            payload = info + 1;
            break;
        case 0x4:
        case 0x5:
        case 0x6:
        case 0xA:
        case 0xC:
        case 0xD: {
            auto count = countAfter(info, contentStart);
            if (!count)
                return std::nullopt;
            if (kind == 0x4 || kind == 0x5)
                payload = *count;
            else if (kind == 0x6)
                payload = *count * 2;
            else
                payload = *count * (kind == 0xD ? 2 : 1) * _referenceSize;
            if (kind <= 0x6)
                cost += payload;
            break;
        }
        default:
            return std::nullopt;
        }
        if (payload > _tableOffset - contentStart)
            return std::nullopt;
        if (kind == 0x5 || kind == 0x6)
            _textIsWellFormed = _textIsWellFormed && stringIsWellFormed(kind, contentStart, static_cast<size_t>(payload));

        if (kind == 0xA || kind == 0xC || kind == 0xD) {
            size_t references = static_cast<size_t>(payload / _referenceSize);
            for (size_t i = 0; i < references; ++i) {
                uint64_t child = readBigEndian(_bytes, contentStart + i * _referenceSize, _referenceSize);
                if (child >= _objectCount)
                    return std::nullopt;
                auto childCost = visit(static_cast<size_t>(child), depth + 1);
                if (!childCost)
                    return std::nullopt;
                cost += *childCost;
                height = std::max(height, _height[static_cast<size_t>(child)] + 1);
                if (cost > kMaximumPropertyListCost)
                    return std::nullopt;
            }
        }
        if (cost > kMaximumPropertyListCost)
            return std::nullopt;
        _state[object] = State::Done;
        _cost[object] = cost;
        _height[object] = height;
        return cost;
    }

    // A count in the low four bits of the marker, or, when they are all set, in an integer object
    // that follows it. CONTENT moves past that integer.
    std::optional<uint64_t> countAfter(unsigned info, size_t& content) const
    {
        if (info != 0xF)
            return info;
        if (content >= _tableOffset)
            return std::nullopt;
        unsigned char marker = static_cast<unsigned char>(_bytes[content]);
        if ((marker >> 4) != 0x1 || (marker & 0xF) > 3)
            return std::nullopt;
        size_t width = size_t(1) << (marker & 0xF);
        if (width > _tableOffset - content - 1)
            return std::nullopt;
        uint64_t count = readBigEndian(_bytes, content + 1, width);
        content += 1 + width;
        // No count can exceed the bytes there are; this also keeps the products above from overflowing.
        if (count > _bytes.size())
            return std::nullopt;
        return count;
    }

    bool stringIsWellFormed(unsigned kind, size_t at, size_t size) const
    {
        auto text = _bytes.substr(at, size);
        if (kind == 0x5)
            return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
        for (size_t i = 0; i + 1 < text.size(); i += 2) {
            auto unit = static_cast<uint16_t>(readBigEndian(text, i, 2));
            if (unit >= 0xDC00 && unit <= 0xDFFF)
                return false;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 3 >= text.size())
                    return false;
                auto low = static_cast<uint16_t>(readBigEndian(text, i + 2, 2));
                if (low < 0xDC00 || low > 0xDFFF)
                    return false;
                i += 2;
            }
        }
        return true;
    }

    std::string_view _bytes;
    bool _textIsWellFormed = true;
    size_t _offsetSize = 0;
    size_t _referenceSize = 0;
    size_t _objectCount = 0;
    uint64_t _tableOffset = 0;
    std::vector<uint64_t> _cost;
    std::vector<int> _height;
    std::vector<State> _state;
};

// The end of the markup that starts at AT with OPENING and ends with CLOSING, or npos.
size_t skipPast(std::string_view bytes, size_t at, std::string_view closing)
{
    size_t end = bytes.find(closing, at);
    return end == std::string_view::npos ? end : end + closing.size();
}

} // namespace

bool binaryPropertyListIsWithinLimits(std::string_view bytes)
{
    return BinaryList(bytes).check();
}

bool binaryPropertyListTextIsWellFormed(std::string_view bytes)
{
    BinaryList list(bytes);
    return list.check() && list.textIsWellFormed();
}

bool xmlPropertyListIsWithinLimits(std::string_view bytes)
{
    // The <plist> element, then one element per level, as the binary form counts them: the root
    // dictionary is the first level, and a value inside it the second.
    constexpr int kMaximumElementDepth = kMaximumPropertyListDepth + 1;
    int depth = 0;
    size_t at = 0;
    while ((at = bytes.find('<', at)) != std::string_view::npos) {
        std::string_view rest = bytes.substr(at);
        size_t end;
        if (rest.starts_with("<!--"))
            end = skipPast(bytes, at + 4, "-->");
        else if (rest.starts_with("<![CDATA["))
            end = skipPast(bytes, at + 9, "]]>");
        else if (rest.starts_with("<?"))
            end = skipPast(bytes, at + 2, "?>");
        else
            end = skipPast(bytes, at + 1, ">");
        if (end == std::string_view::npos)
            return true; // Unterminated markup: libplist refuses it without descending.
        if (rest.starts_with("</")) {
            depth = std::max(depth - 1, 0);
        } else if (!rest.starts_with("<!") && !rest.starts_with("<?") && bytes[end - 2] != '/') {
            if (++depth > kMaximumElementDepth)
                return false;
        }
        at = end;
    }
    return true;
}
