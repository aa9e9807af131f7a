#include "platform/render/Painter.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace render;
using test::pixelAt;

namespace {

constexpr RGBA black { 0, 0, 0, 1 };
constexpr RGBA white { 1, 1, 1, 1 };

std::vector<unsigned char> snapshot(const Painter& painter)
{
    size_t size = static_cast<size_t>(painter.stride()) * static_cast<size_t>(painter.pixelHeight());
    return { painter.data(), painter.data() + size };
}

// The pixels that differ from a snapshot, counted inside and outside a box of device pixels.
struct Changes {
    int inside = 0;
    int outside = 0;
};
Changes changesSince(const Painter& painter, const std::vector<unsigned char>& before, int x0, int y0, int x1, int y1)
{
    Changes changes;
    for (int y = 0; y < painter.pixelHeight(); ++y) {
        for (int x = 0; x < painter.pixelWidth(); ++x) {
            size_t at = static_cast<size_t>(y) * static_cast<size_t>(painter.stride()) + static_cast<size_t>(x) * 4;
            if (std::memcmp(painter.data() + at, before.data() + at, 4) == 0)
                continue;
            bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
            (in ? changes.inside : changes.outside)++;
        }
    }
    return changes;
}

// Narrow stripes of three colours: sharp detail everywhere for a blur to remove.
void drawStripes(Painter& painter, double width, double height)
{
    const RGBA colours[] = { { 1, 0, 0, 1 }, { 0, 0.6, 0, 0.8 }, { 0, 0, 1, 0.5 } };
    for (int i = 0; i * 2 < width; ++i)
        painter.fillRect({ i * 2.0, 0, 2, height }, colours[i % 3]);
}

// The pixels of row y whose red channel lies strictly between those of the two flat sides.
struct Ramp {
    int width = 0;
    int first = -1;
    bool monotonic = true;
};
Ramp rampAlong(const Painter& painter, int y)
{
    Ramp ramp;
    int previous = -1;
    for (int x = 0; x < painter.pixelWidth(); ++x) {
        int red = pixelAt(painter, x, y).r;
        if (red < previous)
            ramp.monotonic = false;
        previous = red;
        if (red > 0 && red < 255) {
            if (ramp.first < 0)
                ramp.first = x;
            ++ramp.width;
        }
    }
    return ramp;
}

// Black on the left half, white on the right: one sharp vertical edge in the middle.
void drawEdge(Painter& painter, double width, double height)
{
    painter.fillRect({ 0, 0, width / 2, height }, black);
    painter.fillRect({ width / 2, 0, width / 2, height }, white);
}

} // namespace

TEST(PainterBlur, FlatColourStaysExactlyFlat)
{
    // One odd pixel in a corner makes the blur run; far enough from it, at full resolution or on a
    // reduced copy, the colour must come back exactly as it was.
    for (double radius : { 3.0, 10.0, 30.0 }) {
        SCOPED_TRACE(radius);
        Painter painter(200, 50, 2);
        painter.clear({ 0.2, 0.5, 0.8, 0.6 });
        painter.fillRect({ 0, 0, 0.5, 0.5 }, white);
        auto before = snapshot(painter);
        painter.blurRegion({ 0, 0, 200, 50 }, radius);
        EXPECT_GT(changesSince(painter, before, 0, 0, 1, 1).inside, 0);
        int far = static_cast<int>(2 * radius * 2) + 40;
        EXPECT_EQ(changesSince(painter, before, 0, 0, far, far).outside, 0);
    }
}

TEST(PainterBlur, SharpEdgeBecomesARampTwiceTheRadiusWide)
{
    // A small radius blurs at full resolution, so the ramp is exact: three boxes of radius / 3
    // pixels either side make 2 * radius pixels between the two flat sides.
    Painter exact(120, 10, 1);
    drawEdge(exact, 120, 10);
    exact.blurRegion({ 0, 0, 120, 10 }, 9);
    Ramp ramp = rampAlong(exact, 5);
    EXPECT_EQ(ramp.width, 18);
    EXPECT_EQ(ramp.first, 60 - 9);
    EXPECT_TRUE(ramp.monotonic);
    EXPECT_EQ(pixelAt(exact, 59, 5).r + pixelAt(exact, 60, 5).r, 255);

    // A wide one blurs a reduced copy; the ramp is as wide within a few pixels and still smooth.
    // Radii are in points, so the ramp is twice as many pixels at scale 2.
    Painter reduced(200, 10, 2);
    drawEdge(reduced, 200, 10);
    reduced.blurRegion({ 0, 0, 200, 10 }, 30);
    ramp = rampAlong(reduced, 10);
    EXPECT_NEAR(ramp.width, 120, 8);
    EXPECT_NEAR(ramp.first, 200 - 60, 4);
    EXPECT_TRUE(ramp.monotonic);
    EXPECT_NEAR(pixelAt(reduced, 199, 10).r + pixelAt(reduced, 200, 10).r, 255, 6);
    for (int x = 1; x < reduced.pixelWidth(); ++x)
        ASSERT_LE(pixelAt(reduced, x, 10).r - pixelAt(reduced, x - 1, 10).r, 8) << x;
}

TEST(PainterBlur, OnlyTheRegionWithinTheClipChanges)
{
    Painter painter(120, 80, 2);
    drawStripes(painter, 120, 80);
    auto before = snapshot(painter);
    painter.blurRegion({ 20, 10, 60, 40 }, 12);
    Changes changes = changesSince(painter, before, 40, 20, 160, 100);
    EXPECT_EQ(changes.outside, 0);
    // Stripes two points wide under a twelve-point blur leave nothing as it was.
    EXPECT_GT(changes.inside, 120 * 80 * 9 / 10);

    // Nothing from around the region bleeds in: a flat region beside a sharp edge stays flat.
    Painter beside(120, 40, 1);
    drawEdge(beside, 120, 40);
    before = snapshot(beside);
    beside.blurRegion({ 60, 0, 60, 40 }, 30);
    EXPECT_EQ(snapshot(beside), before);

    // Rounded corners keep the pixels outside the arcs, and the clip bounds the region.
    Painter rounded(120, 80, 1);
    drawStripes(rounded, 120, 80);
    before = snapshot(rounded);
    rounded.save();
    rounded.clip({ 0, 0, 70, 80 });
    rounded.blurRegion({ 20, 10, 60, 40 }, 12, 10);
    rounded.restore();
    EXPECT_EQ(changesSince(rounded, before, 20, 10, 70, 50).outside, 0);
    EXPECT_EQ(std::memcmp(rounded.data() + 10 * rounded.stride() + 20 * 4, before.data() + 10 * rounded.stride() + 20 * 4, 4), 0);
    EXPECT_NE(std::memcmp(rounded.data() + 30 * rounded.stride() + 40 * 4, before.data() + 30 * rounded.stride() + 40 * 4, 4), 0);
}

TEST(PainterBlur, FollowsTheTransformAndGroups)
{
    // The same blur reached through a translation and a scale, and inside a group whose own
    // surface starts elsewhere than the frame's, gives the same pixels as a plain one.
    Painter plain(100, 60, 2);
    drawStripes(plain, 100, 60);
    plain.blurRegion({ 30, 10, 40, 30 }, 8);

    Painter transformed(100, 60, 2);
    drawStripes(transformed, 100, 60);
    transformed.save();
    transformed.translate(30, 10);
    transformed.scaleBy(2, 2);
    transformed.blurRegion({ 0, 0, 20, 15 }, 4);
    transformed.restore();
    EXPECT_EQ(snapshot(transformed), snapshot(plain));

    Painter grouped(100, 60, 2);
    grouped.save();
    grouped.clip({ 20, 5, 70, 50 });
    grouped.beginGroup();
    drawStripes(grouped, 100, 60);
    grouped.blurRegion({ 30, 10, 40, 30 }, 8);
    grouped.endGroup(1);
    grouped.restore();
    auto before = snapshot(plain);
    EXPECT_EQ(changesSince(grouped, before, 40, 10, 180, 110).inside, 0);
}

TEST(PainterBlur, DegenerateRegionsAndRadiiAreHarmless)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    Painter painter(60, 40, 2);
    drawStripes(painter, 60, 40);
    auto before = snapshot(painter);
    for (double radius : { 0.0, -5.0, nan, infinity, 0.2 })
        painter.blurRegion({ 0, 0, 60, 40 }, radius);
    for (Rect rect : { Rect { 0, 0, 0, 40 }, Rect { 0, 0, 60, -1 }, Rect { 100, 100, 20, 20 },
             Rect { -50, -50, 10, 10 }, Rect { nan, 0, 10, 10 }, Rect { 0, 0, infinity, 10 } })
        painter.blurRegion(rect, 10);
    EXPECT_EQ(snapshot(painter), before);

    // Regions hanging over every edge of the surface, and a radius far larger than the surface,
    // spread the colours over what there is and no further.
    painter.blurRegion({ -30, -30, 60, 50 }, 6);
    painter.blurRegion({ 40, 20, 1e6, 1e6 }, 6);
    painter.blurRegion({ -1e6, -1e6, 2e6, 2e6 }, 1e300);
    auto first = pixelAt(painter, 0, 0);
    for (int y = 0; y < painter.pixelHeight(); y += 7) {
        for (int x = 0; x < painter.pixelWidth(); x += 7) {
            auto pixel = pixelAt(painter, x, y);
            ASSERT_NEAR(pixel.r, first.r, 8) << x << "," << y;
            ASSERT_NEAR(pixel.a, first.a, 8) << x << "," << y;
        }
    }
    EXPECT_GT(first.a, 0);

    Painter empty(0, 0, 2);
    empty.blurRegion({ 0, 0, 10, 10 }, 10);
}
