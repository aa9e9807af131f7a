#pragma once

#include <cstdint>
#include <limits>

// The integer widths follow the build profile: the main program is a 64-bit build, the legacy
// program a 32-bit one, and both are fixed when building.
#if ZENTROVA_LEGACY
using NSInteger = int32_t;
using NSUInteger = uint32_t;
#else
using NSInteger = int64_t;
using NSUInteger = uint64_t;
#endif

inline constexpr NSInteger NSIntegerMax = std::numeric_limits<NSInteger>::max();
inline constexpr NSInteger NSNotFound = NSIntegerMax;

enum NSStringEncoding : NSUInteger {
    NSUTF8StringEncoding = 4,
};
