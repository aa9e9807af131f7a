#include "platform/render/Painter.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>

using namespace render;
using test::pixelAt;

namespace {

constexpr RGBA red { 1, 0, 0, 1 };

std::filesystem::path scratchFile(const std::string& name)
{
    return std::filesystem::path(testing::TempDir()) / (std::to_string(getpid()) + "-" + name);
}

} // namespace

TEST(PainterGeometry, PointsMapToPixelsByTheScale)
{
    Painter painter(10, 10, 2);
    EXPECT_EQ(painter.pixelWidth(), 20);
    EXPECT_EQ(painter.pixelHeight(), 20);
    EXPECT_GE(painter.stride(), 20 * 4);

    painter.fillRect({ 0, 0, 5, 5 }, red);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(pixelAt(painter, x, y).a, x < 10 && y < 10 ? 255 : 0) << x << "," << y;
    }

    Painter fractional(10.3, 10.7, 2);
    EXPECT_EQ(fractional.pixelWidth(), 21);
    EXPECT_EQ(fractional.pixelHeight(), 21);
}

TEST(PainterGeometry, TransformsAndClipsNest)
{
    Painter painter(20, 20, 1);
    painter.save();
    painter.translate(10, 10);
    painter.clip({ 0, 0, 5, 5 });
    painter.fillRect({ -10, -10, 40, 40 }, red);
    painter.restore();
    EXPECT_EQ(test::inkBounds(painter), (test::PixelBox { 10, 10, 15, 15 }));

    // After the restore neither the translation nor the clip applies.
    painter.fillRect({ 0, 0, 2, 2 }, red);
    EXPECT_EQ(pixelAt(painter, 1, 1).a, 255);

    Painter scaled(20, 20, 1);
    scaled.scaleBy(2, 2);
    scaled.fillRect({ 1, 1, 2, 2 }, red);
    EXPECT_EQ(test::inkBounds(scaled), (test::PixelBox { 2, 2, 6, 6 }));
}

TEST(PainterGeometry, UnmatchedRestoreAndEndGroupAreIgnored)
{
    Painter painter(10, 10, 1);
    painter.restore();
    painter.endGroup(0.5);
    painter.beginGroup();
    painter.restore(); // would cross the group
    painter.endGroup(1);
    painter.scaleBy(0, 1);
    painter.fillRect({ 0, 0, 10, 10 }, red);
    EXPECT_EQ(pixelAt(painter, 5, 5).a, 255);
    EXPECT_EQ(pixelAt(painter, 5, 5).r, 255);
}

TEST(PainterCompositing, GroupOpacityAppliesOnceToOverlappingShapes)
{
    Painter painter(10, 10, 1);
    painter.beginGroup();
    painter.fillRect({ 0, 0, 6, 10 }, red);
    painter.fillRect({ 4, 0, 6, 10 }, red);
    painter.endGroup(0.5);
    for (int x : { 1, 5, 8 })
        EXPECT_NEAR(pixelAt(painter, x, 5).a, 128, 1) << x;
}

TEST(PainterCompositing, ClearReplacesWhatWasThere)
{
    Painter painter(4, 4, 1);
    painter.fillRect({ 0, 0, 4, 4 }, red);
    painter.clear({ 0, 0, 1, 0.5 });
    test::Pixel pixel = pixelAt(painter, 2, 2);
    EXPECT_NEAR(pixel.a, 128, 1);
    EXPECT_EQ(pixel.r, 0);
    EXPECT_NEAR(pixel.b, 128, 1);
}

TEST(PainterShapes, RoundedRectsAndStrokesStayInsideTheirRect)
{
    Painter painter(40, 40, 1);
    painter.fillRoundedRect({ 0, 0, 20, 20 }, 10, red);
    EXPECT_EQ(pixelAt(painter, 0, 0).a, 0);
    EXPECT_EQ(pixelAt(painter, 10, 10).a, 255);
    EXPECT_EQ(pixelAt(painter, 10, 2).a, 255);

    Painter stroked(40, 40, 1);
    stroked.strokeRoundedRect({ 10, 10, 20, 20 }, 0, 2, red);
    EXPECT_EQ(test::inkBounds(stroked), (test::PixelBox { 10, 10, 30, 30 }));
    EXPECT_EQ(pixelAt(stroked, 11, 20).a, 255);
    EXPECT_EQ(pixelAt(stroked, 12, 20).a, 0);
}

TEST(PainterShapes, LinesPathsEllipsesAndArcs)
{
    Painter painter(20, 20, 2);
    painter.line(0, 5, 20, 5, 0.5, red);
    // Half a point at scale 2 is one device pixel's worth of coverage, here split over two rows.
    EXPECT_NEAR(pixelAt(painter, 10, 9).a + pixelAt(painter, 10, 10).a, 255, 1);
    EXPECT_EQ(test::inkBounds(painter), (test::PixelBox { 0, 9, 40, 11 }));

    Painter triangle(20, 20, 1);
    triangle.fillPath({ { 0, 0 }, { 20, 0 }, { 0, 20 } }, red);
    EXPECT_EQ(pixelAt(triangle, 2, 2).a, 255);
    EXPECT_EQ(pixelAt(triangle, 17, 17).a, 0);
    triangle.fillPath({ { 0, 0 }, { 20, 20 } }, red);
    EXPECT_EQ(pixelAt(triangle, 17, 17).a, 0);

    Painter ellipse(20, 10, 1);
    ellipse.fillEllipse({ 0, 0, 20, 10 }, red);
    EXPECT_EQ(pixelAt(ellipse, 10, 5).a, 255);
    EXPECT_EQ(pixelAt(ellipse, 0, 0).a, 0);
    EXPECT_EQ(test::inkBounds(ellipse), (test::PixelBox { 0, 0, 20, 10 }));

    Painter arc(20, 20, 1);
    arc.strokeArc(10, 10, 8, 0, M_PI / 2, 2, red);
    // Angles run clockwise from the right, as y grows downwards.
    EXPECT_EQ(pixelAt(arc, 17, 12).a, 255);
    EXPECT_EQ(pixelAt(arc, 12, 17).a, 255);
    EXPECT_EQ(pixelAt(arc, 17, 7).a, 0);
    EXPECT_EQ(pixelAt(arc, 2, 12).a, 0);
}

TEST(PainterShapes, ShadowFadesFromTheColourToNothing)
{
    Painter painter(60, 60, 1);
    const RGBA color { 0, 0, 0, 0.4 };
    painter.fillShadow({ 15, 15, 30, 30 }, 4, 10, color);
    // Each layer's alpha is rounded to eight bits on its own, so the centre may be a little off.
    EXPECT_NEAR(pixelAt(painter, 30, 30).a, 102, 3);
    // Along a line out from the centre the alpha never rises, and it is gone by blur / 2 out.
    int previous = 255;
    for (int x = 30; x < 60; ++x) {
        int alpha = pixelAt(painter, x, 30).a;
        EXPECT_LE(alpha, previous) << x;
        previous = alpha;
    }
    EXPECT_GT(pixelAt(painter, 45, 30).a, 0);
    EXPECT_LT(pixelAt(painter, 45, 30).a, 102);
    EXPECT_EQ(pixelAt(painter, 51, 30).a, 0);
}

TEST(PainterImages, ImagesAreScaledToTheDestinationWithOpacity)
{
    EXPECT_FALSE(Image::fromARGB(2, 2, { 0xffff0000u }));
    EXPECT_FALSE(Image::fromARGB(-1, 1, { }));

    auto image = Image::fromARGB(2, 1, { 0xffff0000u, 0xff0000ffu });
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 1);

    Painter painter(40, 10, 1);
    painter.drawImage(*image, { 0, 0, 40, 10 });
    EXPECT_EQ(pixelAt(painter, 2, 5).r, 255);
    EXPECT_EQ(pixelAt(painter, 37, 5).b, 255);
    // The middle is blended, and padding keeps the corners opaque.
    EXPECT_GT(pixelAt(painter, 20, 5).r, 0);
    EXPECT_GT(pixelAt(painter, 20, 5).b, 0);
    EXPECT_EQ(pixelAt(painter, 0, 0).a, 255);
    EXPECT_EQ(pixelAt(painter, 39, 9).a, 255);

    Painter faded(40, 10, 1);
    faded.drawImage(*image, { 10, 0, 20, 10 }, 0.5);
    EXPECT_NEAR(pixelAt(faded, 12, 5).a, 128, 1);
    EXPECT_EQ(pixelAt(faded, 5, 5).a, 0);
}

TEST(PainterOutput, PNGRoundTripKeepsEveryPixel)
{
    Painter painter(30, 20, 2);
    painter.fillRoundedRect({ 2, 2, 26, 16 }, 5, { 0.2, 0.5, 0.9, 0.7 });
    painter.fillEllipse({ 5, 5, 10, 10 }, { 1, 1, 1, 0.03 });
    TextStyle style;
    style.font.size = 9;
    painter.drawText("png", { 0, 0, 30, 20 }, style);

    std::string path = scratchFile("render-roundtrip.png").string();
    ASSERT_TRUE(painter.writePNG(path));
    auto diff = test::compareImages(painter.surface(), path, 0);
    ASSERT_TRUE(diff);
    EXPECT_TRUE(diff->sameSize);
    EXPECT_EQ(diff->differingPixels, 0u);
    EXPECT_EQ(diff->maxChannelDelta, 0);

    EXPECT_FALSE(painter.writePNG("/nonexistent-folder/out.png"));
}
