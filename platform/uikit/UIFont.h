#pragma once

#include "platform/foundation/NSString.h"
#include "platform/uikit/CGGeometry.h"

// A font by family name and size in points. The system font has the name "System"; both it and
// "Helvetica" resolve through the project's font configuration.
class UIFont {
public:
    static UIFont systemFontOfSize(CGFloat size) { return UIFont(kSystemFontName, size, Weight::Regular); }
    static UIFont boldSystemFontOfSize(CGFloat size) { return UIFont(kSystemFontName, size, Weight::Bold); }
    // Names ending in "-Bold" give the bold face of the family.
    static UIFont fontWithName(const NSString& name, CGFloat size);

    const NSString& fontName() const { return _name; }
    CGFloat pointSize() const { return _size; }
    bool isBold() const { return _weight == Weight::Bold; }
    bool isSystemFont() const { return _name == NSString(kSystemFontName); }

    bool operator==(const UIFont&) const = default;

    static constexpr const char* kSystemFontName = "System";

private:
    enum class Weight {
        Regular,
        Bold,
    };
    UIFont(NSString name, CGFloat size, Weight weight)
        : _name(std::move(name))
        , _size(size)
        , _weight(weight)
    {
    }

    NSString _name;
    CGFloat _size = 17;
    Weight _weight = Weight::Regular;
};
