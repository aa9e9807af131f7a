#include "platform/system/CallNotation.h"

#include "platform/system/System.h"

std::string identityCallNotation(std::string_view function, unsigned long id)
{
    std::string notation(function);
    notation += '(';
    notation += std::to_string(id);
    notation += ')';
    return notation;
}

std::string stringCallNotation(std::string_view function, const std::string& argument)
{
    std::string notation(function);
    notation += '(';
    notation += cStringLiteral(argument);
    notation += ')';
    return notation;
}

std::string cStringLiteral(const std::string& text)
{
    std::string literal;
    literal.reserve(text.size() + 2);
    literal += '"';
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            literal += "\\\\";
            continue;
        case '"':
            literal += "\\\"";
            continue;
        case '\t':
            literal += "\\t";
            continue;
        case '\n':
            literal += "\\n";
            continue;
        case '\r':
            literal += "\\r";
            continue;
        default:
            break;
        }
        // Octal escapes are always written with three digits: C reads at most three, so a digit
        // that follows can never be taken as part of the escape. Hexadecimal escapes have no such
        // limit, which is why they are not used. Bytes from 0x80 up are left alone so that UTF-8
        // text stays readable.
        if (byte < 0x20 || byte == 0x7f) {
            literal += '\\';
            literal += static_cast<char>('0' + ((byte >> 6) & 7));
            literal += static_cast<char>('0' + ((byte >> 3) & 7));
            literal += static_cast<char>('0' + (byte & 7));
            continue;
        }
        literal += c;
    }
    literal += '"';
    return literal;
}
