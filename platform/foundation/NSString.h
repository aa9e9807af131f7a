#pragma once

#include "platform/foundation/NSRange.h"

#include <compare>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An immutable string with the platform's UTF-16 semantics: length() and every NSRange count
// UTF-16 code units. Made from UTF-8; utf8() gives UTF-8 back for Pango, files and output.
class NSString {
public:
    NSString() = default;
    // Invalid UTF-8 bytes become U+FFFD, so text from anywhere can be shown.
    NSString(const char* utf8);
    NSString(std::string_view utf8);
    NSString(const std::string& utf8) : NSString(std::string_view(utf8)) { }
    explicit NSString(std::u16string utf16) : _units(std::move(utf16)) { }

    // Strict decoding: none when the bytes are not valid UTF-8.
    static std::optional<NSString> fromUTF8(std::string_view bytes);
    // The whole file (an absolute path resolves under the device root) decoded in the given
    // encoding, or none when it is missing, unreadable or not valid in that encoding. Only UTF-8
    // (4) is supported.
    // A UTF-8 byte order mark stays in the string as U+FEFF. The error out-parameter is never
    // written: a failure is only ever none.
    // Only regular files up to kMaximumFileSize are read; anything else gives none.
    static std::optional<NSString> stringWithContentsOfFile(
        const NSString& path, NSStringEncoding encoding, void* error = nullptr);
    static constexpr long long kMaximumFileSize = 16 * 1024 * 1024;

    NSUInteger length() const { return static_cast<NSUInteger>(_units.size()); }
    bool isEmpty() const { return _units.empty(); }
    char16_t characterAtIndex(NSUInteger index) const { return _units.at(index); }
    const std::u16string& utf16() const { return _units; }
    std::string utf8() const;

    // The first occurrence, exact and case-sensitive; {NSNotFound, 0} when there is none or when
    // the searched string is empty.
    NSRange rangeOfString(const NSString& other) const;
    NSString substringWithRange(NSRange range) const;
    bool hasPrefix(const NSString& prefix) const;
    // YES when the string starts, after blanks, an optional sign and leading zeros, with 'Y', 'y',
    // 'T', 't' or a digit 1 to 9; whatever follows is ignored. So "YES", "true", "1" and "007" are
    // YES, and "NO", "false", "0", "" and "maybe" are NO.
    bool boolValue() const;

    // The UTF-8 byte offset of a UTF-16 index (clamped to the end): Pango indexes attributes
    // by bytes.
    size_t utf8OffsetOfIndex(NSUInteger index) const;
    // The same for many indexes in one pass; they must come in ascending order.
    std::vector<size_t> utf8OffsetsOfIndices(const std::vector<NSUInteger>& ascending) const;
    // The UTF-16 index of a UTF-8 byte offset into utf8() (clamped to the end).
    NSUInteger indexOfUTF8Offset(size_t offset) const;

    bool operator==(const NSString&) const = default;
    auto operator<=>(const NSString&) const = default;

private:
    std::u16string _units;
};

template<>
struct std::hash<NSString> {
    size_t operator()(const NSString& s) const noexcept { return std::hash<std::u16string>()(s.utf16()); }
};
