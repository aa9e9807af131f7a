#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The environment a command gets when it runs with more privilege than the user who started the
// program: a fixed safe PATH, and HOME, LANG, LC_*, TERM, USER and LOGNAME carried over when their
// values are plain (an absolute folder, a locale name, a terminal name, a user name). Everything
// else (IFS, ENV, BASH_ENV, SHELLOPTS, LD_*, TZ, BROWSER, XDG_*, PERL5LIB, exported functions, ...)
// is dropped: whoever started the program chose every variable.
//
// Nothing here allocates, so that the code that starts the privileged helper, which runs before
// any library of the program is initialised, can use it as well as RealSystem.
namespace carried_environment {

inline constexpr std::string_view kSafePathEntry = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
inline constexpr std::string_view kSafePath = kSafePathEntry.substr(sizeof("PATH=") - 1);
// Room for PATH, the five fixed names, the twelve locale categories glibc knows and a few more.
inline constexpr size_t kMaximumEntries = 24;

enum class ValueKind { Folder, Locale, Terminal, UserName };

constexpr bool isAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr bool onlyCharacters(std::string_view value, std::string_view extra)
{
    for (char c : value) {
        if (!isAlphanumeric(c) && extra.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

constexpr bool isSaneValue(ValueKind kind, std::string_view value)
{
    switch (kind) {
    case ValueKind::Folder:
        // An absolute path of printable characters that does not climb out with "..".
        if (!value.starts_with('/') || value.size() > 4096 || value.find("/..") != std::string_view::npos)
            return false;
        for (char c : value) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return false;
        }
        return true;
    case ValueKind::Locale:
        // A locale name ("de_DE.UTF-8", "C", "sr_RS@latin"); a slash would name a file of the caller's.
        return !value.empty() && value.size() <= 64 && onlyCharacters(value, "._-@");
    case ValueKind::Terminal:
        return !value.empty() && value.size() <= 64 && onlyCharacters(value, "._+-");
    case ValueKind::UserName:
        return !value.empty() && value.size() <= 32 && !value.starts_with('-') && onlyCharacters(value, "._-");
    }
    return false;
}

// The kind of value NAME may carry, or false when NAME is not carried at all.
constexpr bool carriedKind(std::string_view name, ValueKind& kind)
{
    struct Carried {
        std::string_view name;
        ValueKind kind;
    };
    constexpr std::array<Carried, 5> fixed { {
        { "HOME", ValueKind::Folder },
        { "LANG", ValueKind::Locale },
        { "TERM", ValueKind::Terminal },
        { "USER", ValueKind::UserName },
        { "LOGNAME", ValueKind::UserName },
    } };
    for (auto& carried : fixed) {
        if (carried.name == name) {
            kind = carried.kind;
            return true;
        }
    }
    constexpr std::string_view localePrefix = "LC_";
    if (name.starts_with(localePrefix) && name.size() > localePrefix.size() && onlyCharacters(name, "_")) {
        kind = ValueKind::Locale;
        return true;
    }
    return false;
}

constexpr std::string_view nameOf(std::string_view entry)
{
    auto equals = entry.find('=');
    return equals == std::string_view::npos ? std::string_view() : entry.substr(0, equals);
}

// Fills OUT with pointers to the entries of ENVIRONMENT that are carried, after the safe PATH
// (kSafePathEntry's text), and a null after them; returns how many there are before the null. The
// first of two entries with one name is the one getenv finds, so a later one is dropped, and so is
// a name whose first value is not sane. Entries beyond kMaximumEntries are dropped.
inline size_t select(const char* const* environment, std::array<const char*, kMaximumEntries + 1>& out)
{
    size_t count = 0;
    out[count++] = kSafePathEntry.data();
    // The names already decided on, kept or dropped.
    std::array<std::string_view, kMaximumEntries * 2> decided {};
    size_t decidedCount = 0;
    for (auto entry = environment; entry && *entry && count < kMaximumEntries; ++entry) {
        std::string_view variable(*entry);
        auto name = nameOf(variable);
        ValueKind kind {};
        if (name.empty() || !carriedKind(name, kind))
            continue;
        bool seen = false;
        for (size_t index = 0; index < decidedCount; ++index)
            seen = seen || decided[index] == name;
        if (seen || decidedCount == decided.size())
            continue;
        decided[decidedCount++] = name;
        if (isSaneValue(kind, variable.substr(name.size() + 1)))
            out[count++] = *entry;
    }
    out[count] = nullptr;
    return count;
}

} // namespace carried_environment
