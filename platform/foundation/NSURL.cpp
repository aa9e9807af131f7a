#include "platform/foundation/NSURL.h"

#include <cctype>

std::shared_ptr<NSURL> NSURL::URLWithString(const NSString& string)
{
    std::string text = string.utf8();
    auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0)
        return nullptr;
    if (!std::isalpha(static_cast<unsigned char>(text[0])))
        return nullptr;
    for (size_t i = 0; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return nullptr;
    }
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F)
            return nullptr;
    }
    return std::shared_ptr<NSURL>(new NSURL(string));
}

NSString NSURL::scheme() const
{
    std::string text = _string.utf8();
    std::string scheme = text.substr(0, text.find(':'));
    for (auto& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return NSString(scheme);
}

std::shared_ptr<NSData> NSData::dataWithBytes(std::vector<unsigned char> bytes)
{
    return std::shared_ptr<NSData>(new NSData(std::move(bytes)));
}

namespace {

std::optional<std::vector<unsigned char>> percentDecode(std::string_view text)
{
    std::vector<unsigned char> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(static_cast<unsigned char>(text[i]));
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            || !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
            return std::nullopt;
        out.push_back(static_cast<unsigned char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

} // namespace

std::optional<std::vector<unsigned char>> decodeBase64(std::string_view text)
{
    std::vector<unsigned char> out;
    out.reserve(text.size() * 3 / 4);
    uint32_t accumulator = 0;
    int bits = 0;
    size_t padding = 0;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (std::isspace(c))
            continue;
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=') {
            ++padding;
            continue;
        } else
            return std::nullopt;
        if (padding)
            return std::nullopt;
        accumulator = (accumulator << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<unsigned char>((accumulator >> bits) & 0xFF));
        }
    }
    // Six leftover bits can never end a valid encoding.
    if (bits >= 6 || padding > 2)
        return std::nullopt;
    return out;
}

std::shared_ptr<NSData> NSData::dataWithContentsOfURL(const NSURL& url)
{
    if (url.scheme() != NSString("data"))
        return nullptr;
    std::string text = url.absoluteString().utf8();
    if (text.size() > NSData::kMaximumDataURLBytes)
        return nullptr;
    auto comma = text.find(',');
    if (comma == std::string::npos)
        return nullptr;
    std::string_view header(text.data() + 5, comma - 5);
    std::string_view payload(text.data() + comma + 1, text.size() - comma - 1);
    bool base64 = header.size() >= 7 && header.substr(header.size() - 7) == ";base64";
    auto bytes = base64 ? decodeBase64(payload) : percentDecode(payload);
    if (!bytes)
        return nullptr;
    return dataWithBytes(std::move(*bytes));
}
