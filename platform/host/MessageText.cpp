#include "platform/host/MessageText.h"

namespace {

constexpr size_t kMaximumQuotedCharacters = 80;

std::string escaped(unsigned char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    switch (c) {
    case '\n':
        return "\\n";
    case '\t':
        return "\\t";
    case '\r':
        return "\\r";
    case '\\':
        return "\\\\";
    case '\'':
        return "\\'";
    default:
        if (c < 0x20 || c >= 0x7F)
            return { '\\', 'x', kHex[c >> 4], kHex[c & 0xF] };
        return std::string(1, static_cast<char>(c));
    }
}

} // namespace

std::string quotedForMessage(std::string_view text)
{
    std::string body;
    size_t i = 0;
    for (; i < text.size(); ++i) {
        // Escapes count at their printed length, so the quote stays short whatever it holds.
        auto piece = escaped(static_cast<unsigned char>(text[i]));
        if (body.size() + piece.size() > kMaximumQuotedCharacters)
            break;
        body += piece;
    }
    std::string out = "'" + body + "'";
    if (i < text.size())
        out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}
