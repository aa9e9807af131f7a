#include "platform/system/System.h"

#include "platform/system/CallNotation.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

// Reads a C string literal back the way a C compiler would, so that the tests can show that every
// string survives the trip, not only the few spelled out below.
std::optional<std::string> decodeCStringLiteral(const std::string& literal)
{
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"')
        return std::nullopt;
    std::string text;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        char c = literal[i];
        if (c == '"')
            return std::nullopt;
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i + 1 >= literal.size())
            return std::nullopt;
        char escape = literal[i];
        if (escape >= '0' && escape <= '7') {
            int value = 0;
            size_t digits = 0;
            while (digits < 3 && i + 1 < literal.size() && literal[i] >= '0' && literal[i] <= '7') {
                value = value * 8 + (literal[i] - '0');
                ++i;
                ++digits;
            }
            --i;
            text += static_cast<char>(value);
            continue;
        }
        switch (escape) {
        case '\\':
        case '"':
            text += escape;
            break;
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

TEST(CStringLiteral, QuotesPlainText)
{
    EXPECT_EQ(cStringLiteral("killall -9 SpringBoard"), "\"killall -9 SpringBoard\"");
    EXPECT_EQ(cStringLiteral(""), "\"\"");
}

TEST(CStringLiteral, EscapesQuoteBackslashAndWhitespaceByName)
{
    EXPECT_EQ(cStringLiteral("a\tb"), R"("a\tb")");
    EXPECT_EQ(cStringLiteral("a\nb\r"), R"("a\nb\r")");
    EXPECT_EQ(cStringLiteral("say \"hi\""), R"("say \"hi\"")");
    EXPECT_EQ(cStringLiteral("C:\\dir\\"), R"("C:\\dir\\")");
}

TEST(CStringLiteral, WritesOtherControlBytesAsThreeOctalDigits)
{
    EXPECT_EQ(cStringLiteral(std::string("\0", 1)), R"("\000")");
    EXPECT_EQ(cStringLiteral("\x1b[0m"), R"("\033[0m")");
    EXPECT_EQ(cStringLiteral("\x7f"), R"("\177")");
    // A digit after an escape must not be read as part of it.
    EXPECT_EQ(cStringLiteral(std::string("\x01") + "7"), R"("\0017")");
}

TEST(CStringLiteral, LeavesUTF8Alone)
{
    EXPECT_EQ(cStringLiteral("caf\xc3\xa9 \xe2\x9c\x93"), "\"caf\xc3\xa9 \xe2\x9c\x93\"");
}

TEST(CStringLiteral, EveryByteRoundTripsAndNoneBreaksTheLine)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
        // Each byte also followed by a digit, the case where a careless escape is ambiguous.
        everyByte += '7';
    }
    auto literal = cStringLiteral(everyByte);
    EXPECT_EQ(decodeCStringLiteral(literal), everyByte);
    for (unsigned char c : literal)
        EXPECT_TRUE(c >= 0x20 && c != 0x7f) << "raw byte " << int(c) << " in the literal";
}

TEST(CallNotation, WritesIdsInDecimalAndStringsAsLiterals)
{
    EXPECT_EQ(identityCallNotation("setuid", 0), "setuid(0)");
    EXPECT_EQ(identityCallNotation("setgid", 4294967294UL), "setgid(4294967294)");
    EXPECT_EQ(stringCallNotation("openURL", "https://example.invalid/?q=\"x\""),
        R"(openURL("https://example.invalid/?q=\"x\""))");
}

} // namespace
