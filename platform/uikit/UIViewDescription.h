#pragma once

#include "platform/uikit/CGGeometry.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

class UIColor;
class UIFont;

// A value of a view's description: null, a bool, a whole number, a number, a string, a list or a
// map with string keys. Hosts turn it into JSON; the platform never needs to know how.
class UIPropertyValue {
public:
    using List = std::vector<UIPropertyValue>;
    using Map = std::vector<std::pair<std::string, UIPropertyValue>>;

    UIPropertyValue() = default;
    UIPropertyValue(std::nullptr_t) { }
    UIPropertyValue(bool value)
        : _value(value)
    {
    }
    UIPropertyValue(int value)
        : _value(int64_t(value))
    {
    }
    UIPropertyValue(int64_t value)
        : _value(value)
    {
    }
    UIPropertyValue(double value)
        : _value(value)
    {
    }
    UIPropertyValue(float value)
        : _value(double(value))
    {
    }
    UIPropertyValue(std::string value)
        : _value(std::move(value))
    {
    }
    UIPropertyValue(const char* value)
        : _value(std::string(value))
    {
    }
    UIPropertyValue(List value)
        : _value(std::move(value))
    {
    }
    UIPropertyValue(Map value)
        : _value(std::move(value))
    {
    }

    static UIPropertyValue list() { return List {}; }
    static UIPropertyValue map() { return Map {}; }

    bool isNull() const { return std::holds_alternative<std::monostate>(_value); }
    const bool* asBool() const { return std::get_if<bool>(&_value); }
    const int64_t* asInteger() const { return std::get_if<int64_t>(&_value); }
    const double* asNumber() const { return std::get_if<double>(&_value); }
    const std::string* asString() const { return std::get_if<std::string>(&_value); }
    const List* asList() const { return std::get_if<List>(&_value); }
    const Map* asMap() const { return std::get_if<Map>(&_value); }

    // Adds an entry to a map (a null value becomes an empty map first); a key set twice keeps the
    // last value.
    UIPropertyValue& set(const std::string& key, UIPropertyValue value);
    // Appends to a list (a null value becomes an empty list first).
    void append(UIPropertyValue value);
    // The entry of a map under the key, if there is one.
    const UIPropertyValue* find(const std::string& key) const;

private:
    std::variant<std::monostate, bool, int64_t, double, std::string, List, Map> _value;
};

// The ways the tree describes the platform's value types.
UIPropertyValue describeRect(const CGRect& rect);
UIPropertyValue describeColor(const UIColor& color);
UIPropertyValue describeColor(const std::optional<UIColor>& color);
UIPropertyValue describeFont(const UIFont& font);

// The console's form of a text: in double quotes, with line breaks, tabs and other control
// characters written as escapes, so that what a view shows stays on its one line.
std::string consoleQuoted(std::string_view text);
// "KIND: PART  PART": the parts two spaces apart, empty ones left out.
std::string consoleLine(std::string_view kind, std::initializer_list<std::string> parts);

// What a view tells the hosts about itself: its tree properties, the text a "text" selector finds
// it by, how it is named in messages, the line the console prints for it and the parts of it that
// can be tapped on their own (a bar's buttons). Every view kind adds its own to its base's.
class UIViewDescription {
public:
    // A tappable part of a view, found by its text; its frame is in the view's coordinates.
    struct Part {
        std::string text;
        CGRect frame;
        std::string name;
        const void* identity = nullptr;
    };

    UIPropertyValue properties = UIPropertyValue::map();
    // The visible text a "text" selector matches; none when the view has no text to tap by.
    std::optional<std::string> selectorText;
    // Follows the class and identifier when a message names the view: "\"Reboot\"", "on".
    std::string detail;
    // What the console prints for the view: its kind, then what a reader needs to tell it apart
    // and its state ("switch: #alertSwitch  on"); empty when it prints nothing.
    std::string consoleLine;
    // The console line already says all the subviews would (an alert's labels and buttons).
    bool consoleLineCoversSubviews = false;
    std::vector<Part> parts;

    void set(const std::string& key, UIPropertyValue value) { properties.set(key, std::move(value)); }
    // "#identifier" for the console, or empty when the view has no identifier.
    std::string identifierWord() const
    {
        auto* identifier = properties.find("id");
        return identifier && identifier->asString() ? "#" + *identifier->asString() : std::string();
    }
};
