#include "platform/foundation/NSString.h"

#include "platform/foundation/DeviceRoot.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`, advancing it. Returns none for a malformed sequence (and advances
// past its first byte).
std::optional<char32_t> decodeOne(std::string_view s, size_t& i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t need;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return std::nullopt;
    }
    if (i + need >= s.size()) {
        ++i;
        return std::nullopt;
    }
    for (size_t k = 1; k <= need; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return std::nullopt;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return std::nullopt;
    }
    i += need + 1;
    return cp;
}

void appendUTF8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Walks the UTF-16 units as code points; a lone surrogate counts as U+FFFD of one unit.
template<typename F>
void forEachCodePoint(const std::u16string& units, F&& f)
{
    for (size_t i = 0; i < units.size();) {
        char32_t u = units[i];
        size_t width = 1;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            width = 2;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = kReplacement;
        }
        f(u, i, width);
        i += width;
    }
}

} // namespace

NSString::NSString(const char* utf8)
    : NSString(std::string_view(utf8 ? utf8 : ""))
{
}

namespace {

// UTF-8 to UTF-16 in one pass over a buffer sized for the worst case (never more units than bytes),
// eight bytes at a time through runs of ASCII: a long file is converted at close to copying speed.
// Malformed bytes become U+FFFD, or stop the decoding when `strict`.
std::optional<std::u16string> decodeUTF8(std::string_view bytes, bool strict)
{
    std::u16string units(bytes.size(), u'\0');
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t count = bytes.size();
    size_t out = 0;
    for (size_t i = 0; i < count;) {
        while (i + 8 <= count) {
            uint64_t word;
            std::memcpy(&word, data + i, 8);
            if (word & 0x8080808080808080ull)
                break;
            for (size_t k = 0; k < 8; ++k)
                units[out + k] = char16_t(data[i + k]);
            out += 8;
            i += 8;
        }
        if (i == count)
            break;
        if (data[i] < 0x80) {
            units[out++] = char16_t(data[i++]);
            continue;
        }
        auto cp = decodeOne(bytes, i);
        if (!cp && strict)
            return std::nullopt;
        char32_t value = cp.value_or(kReplacement);
        if (value >= 0x10000) {
            value -= 0x10000;
            units[out++] = static_cast<char16_t>(0xD800 + (value >> 10));
            units[out++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            units[out++] = static_cast<char16_t>(value);
        }
    }
    units.resize(out);
    return units;
}

} // namespace

NSString::NSString(std::string_view utf8)
    : _units(*decodeUTF8(utf8, false))
{
}

std::optional<NSString> NSString::fromUTF8(std::string_view bytes)
{
    auto units = decodeUTF8(bytes, true);
    if (!units)
        return std::nullopt;
    return NSString(std::move(*units));
}

std::optional<NSString> NSString::stringWithContentsOfFile(const NSString& path, NSStringEncoding encoding, void*)
{
    if (encoding != NSUTF8StringEncoding)
        return std::nullopt;
    // Only a regular file is read, opened without blocking so that a pipe or a device in its place
    // cannot stall the caller, and only up to a size that a text meant for a screen can have.
    int descriptor = ::open(pathUnderDeviceRoot(path.utf8()).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return std::nullopt;
    std::unique_ptr<int, void (*)(int*)> closer(&descriptor, [](int* fd) { ::close(*fd); });
    struct stat status { };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaximumFileSize)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(size_t(status.st_size));
    char buffer[65536];
    while (true) {
        ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        bytes.append(buffer, size_t(count));
        // A file that grows while it is read is cut off at the bound rather than followed forever.
        if (bytes.size() > size_t(kMaximumFileSize))
            return std::nullopt;
    }
    return fromUTF8(bytes);
}

std::string NSString::utf8() const
{
    std::string out;
    out.reserve(_units.size());
    forEachCodePoint(_units, [&](char32_t cp, size_t, size_t) { appendUTF8(out, cp); });
    return out;
}

NSRange NSString::rangeOfString(const NSString& other) const
{
    if (other._units.empty())
        return {static_cast<NSUInteger>(NSNotFound), 0};
    auto pos = _units.find(other._units);
    if (pos == std::u16string::npos)
        return {static_cast<NSUInteger>(NSNotFound), 0};
    return {static_cast<NSUInteger>(pos), other.length()};
}

NSString NSString::substringWithRange(NSRange range) const
{
    return NSString(_units.substr(range.location, range.length));
}

bool NSString::boolValue() const
{
    size_t i = 0;
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; };
    while (i < _units.size() && blank(_units[i]))
        ++i;
    if (i < _units.size() && (_units[i] == u'+' || _units[i] == u'-'))
        ++i;
    while (i < _units.size() && _units[i] == u'0')
        ++i;
    if (i == _units.size())
        return false;
    char16_t c = _units[i];
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

bool NSString::hasPrefix(const NSString& prefix) const
{
    return _units.starts_with(prefix._units);
}

size_t NSString::utf8OffsetOfIndex(NSUInteger index) const
{
    size_t bytes = 0;
    bool done = false;
    forEachCodePoint(_units, [&](char32_t cp, size_t at, size_t width) {
        if (done || at >= index) {
            done = true;
            return;
        }
        bytes += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    });
    return bytes;
}

namespace {

size_t utf8Length(char32_t cp)
{
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

} // namespace

std::vector<size_t> NSString::utf8OffsetsOfIndices(const std::vector<NSUInteger>& ascending) const
{
    std::vector<size_t> offsets;
    offsets.reserve(ascending.size());
    size_t next = 0;
    size_t bytes = 0;
    forEachCodePoint(_units, [&](char32_t cp, size_t at, size_t) {
        while (next < ascending.size() && ascending[next] <= at) {
            offsets.push_back(bytes);
            ++next;
        }
        bytes += utf8Length(cp);
    });
    while (offsets.size() < ascending.size())
        offsets.push_back(bytes);
    return offsets;
}

NSUInteger NSString::indexOfUTF8Offset(size_t offset) const
{
    size_t bytes = 0;
    NSUInteger index = static_cast<NSUInteger>(_units.size());
    bool found = false;
    forEachCodePoint(_units, [&](char32_t cp, size_t at, size_t) {
        if (found)
            return;
        if (bytes >= offset) {
            index = static_cast<NSUInteger>(at);
            found = true;
            return;
        }
        bytes += utf8Length(cp);
    });
    return index;
}
