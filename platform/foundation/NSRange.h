#pragma once

#include "platform/foundation/NSObjCRuntime.h"

// A location and a length in UTF-16 code units.
struct NSRange {
    NSUInteger location = 0;
    NSUInteger length = 0;

    constexpr NSUInteger end() const { return location + length; }
    constexpr bool operator==(const NSRange&) const = default;
};

constexpr NSRange NSMakeRange(NSUInteger location, NSUInteger length) { return {location, length}; }
