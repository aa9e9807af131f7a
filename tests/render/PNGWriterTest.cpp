#include "platform/render/PNGWriter.h"

#include "platform/render/Painter.h"
#include "tests/support/TempDir.h"

#include <cairo.h>
#include <gtest/gtest.h>

namespace {

uint32_t pixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

TEST(PNGWriter, RoundTripsTranslucentPixels)
{
    TempDir dir;
    render::Painter painter(4, 2, 1);
    painter.clear({ 0, 0, 0, 0 });
    painter.fillRect({ 0, 0, 1, 1 }, { 1, 0, 0, 0.5 });
    painter.fillRect({ 1, 0, 1, 1 }, { 0, 0.4, 1, 1 });
    painter.fillRect({ 2, 0, 1, 1 }, { 1, 1, 1, 0.2 });
    auto path = (dir.path() / "frame.png").string();
    ASSERT_TRUE(painter.writePNG(path));

    cairo_surface_t* read = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(read), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(read), 4);
    EXPECT_EQ(cairo_image_surface_get_height(read), 2);
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 2; ++y) {
            uint32_t expected = pixelAt(painter.surface(), x, y), actual = pixelAt(read, x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                int a = int((expected >> shift) & 0xFF), b = int((actual >> shift) & 0xFF);
                EXPECT_LE(std::abs(a - b), 1) << "pixel " << x << "," << y << " byte " << shift / 8;
            }
        }
    }
    cairo_surface_destroy(read);
}

TEST(PNGWriter, FailsOnAnUnwritablePath)
{
    render::Painter painter(2, 2, 1);
    EXPECT_FALSE(painter.writePNG("/nonexistent-folder/frame.png"));
}

} // namespace
