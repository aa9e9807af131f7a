#include "platform/uikit/UIViewDescription.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"

#include <algorithm>
#include <cstdio>

UIPropertyValue& UIPropertyValue::set(const std::string& key, UIPropertyValue value)
{
    if (isNull())
        _value = Map {};
    auto& entries = std::get<Map>(_value);
    auto it = std::find_if(entries.begin(), entries.end(), [&key](auto& entry) { return entry.first == key; });
    if (it != entries.end()) {
        it->second = std::move(value);
        return it->second;
    }
    entries.emplace_back(key, std::move(value));
    return entries.back().second;
}

void UIPropertyValue::append(UIPropertyValue value)
{
    if (isNull())
        _value = List {};
    std::get<List>(_value).push_back(std::move(value));
}

const UIPropertyValue* UIPropertyValue::find(const std::string& key) const
{
    auto* entries = asMap();
    if (!entries)
        return nullptr;
    auto it = std::find_if(entries->begin(), entries->end(), [&key](auto& entry) { return entry.first == key; });
    return it == entries->end() ? nullptr : &it->second;
}

UIPropertyValue describeRect(const CGRect& rect)
{
    return UIPropertyValue::List { rect.origin.x, rect.origin.y, rect.size.width, rect.size.height };
}

UIPropertyValue describeColor(const UIColor& color)
{
    return UIPropertyValue::List { color.red(), color.green(), color.blue(), color.alpha() };
}

UIPropertyValue describeColor(const std::optional<UIColor>& color)
{
    return color ? describeColor(*color) : UIPropertyValue();
}

UIPropertyValue describeFont(const UIFont& font)
{
    UIPropertyValue value;
    value.set("name", font.fontName().utf8());
    value.set("size", font.pointSize());
    value.set("bold", font.isBold());
    return value;
}

std::string consoleQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string consoleLine(std::string_view kind, std::initializer_list<std::string> parts)
{
    std::string line(kind);
    line += ':';
    const char* separator = " ";
    for (auto& part : parts) {
        if (part.empty())
            continue;
        line += separator;
        line += part;
        separator = "  ";
    }
    return line;
}
