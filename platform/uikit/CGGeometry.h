#pragma once

#include <cmath>

// CGFloat follows the build profile: double in the main (64-bit) program, float in the legacy one.
#if ZENTROVA_LEGACY
using CGFloat = float;
#else
using CGFloat = double;
#endif

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    constexpr bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    constexpr bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    constexpr CGFloat minX() const { return origin.x; }
    constexpr CGFloat minY() const { return origin.y; }
    constexpr CGFloat maxX() const { return origin.x + size.width; }
    constexpr CGFloat maxY() const { return origin.y + size.height; }
    constexpr CGFloat midX() const { return origin.x + size.width / 2; }
    constexpr CGFloat midY() const { return origin.y + size.height / 2; }
    constexpr bool operator==(const CGRect&) const = default;
};

constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
    return { { x, y }, { width, height } };
}
constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return { x, y }; }
constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) { return { width, height }; }
inline constexpr CGRect CGRectZero {};

// Half-open, as the platform's hit testing is: the right and bottom edges lie outside.
constexpr bool CGRectContainsPoint(const CGRect& rect, CGPoint point)
{
    return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() && point.y < rect.maxY();
}

constexpr CGRect CGRectOffset(const CGRect& rect, CGFloat dx, CGFloat dy)
{
    return { { rect.origin.x + dx, rect.origin.y + dy }, rect.size };
}
