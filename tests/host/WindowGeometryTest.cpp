#include "platform/host/WindowGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowGeometry, OpensAtTheLargestScaleThatFitsTheDisplay)
{
    struct Case {
        CGSize usable;
        CGSize device;
        double expected;
    };
    const CGSize phone { 320, 568 }, ipad { 768, 1024 }, landscape { 1024, 768 };
    const Case cases[] = {
        // A phone at 2x is 1136 pixels high: only a display of 1440 rows or more takes it.
        { { 1280, 1024 }, phone, 1 },
        { { 1920, 1080 }, phone, 1 },
        { { 1920, 1200 }, phone, 2 },
        { { 2560, 1440 }, phone, 2 },
        { { 800, 600 }, phone, 0.75 },
        { { 640, 480 }, phone, 0.75 },
        { { 3840, 2160 }, phone, 2 },
        // The title bar's room counts: 568 rows fit 600 but not 600 less a title bar.
        { { 1024, 600 }, phone, 0.75 },
        { { 1024, 608 }, phone, 1 },
        { { 1280, 1024 }, ipad, 0.75 },
        { { 1920, 1080 }, ipad, 1 },
        { { 1920, 1050 }, ipad, 0.75 },
        { { 2560, 1440 }, ipad, 1 },
        { { 3840, 2160 }, ipad, 2 },
        { { 800, 600 }, ipad, 0.5 },
        { { 1920, 1080 }, landscape, 1 },
        { { 1280, 1024 }, landscape, 1 },
        { { 1024, 768 }, landscape, 0.75 },
        // Nothing fits: the smallest step is taken all the same.
        { { 320, 240 }, ipad, 0.5 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.device.width << "x" << c.device.height << " on " << c.usable.width << "x"
                                        << c.usable.height);
        auto opening = windowOpeningFor(c.device, 2, c.usable, std::nullopt);
        EXPECT_EQ(opening.scale, c.expected);
        EXPECT_EQ(opening.width, int(std::lround(c.device.width * c.expected)));
        EXPECT_EQ(opening.height, int(std::lround(c.device.height * c.expected)));
    }
}

TEST(WindowGeometry, DeviceScaleAndForcedScale)
{
    const CGSize phone { 320, 480 };
    // Whole steps down from the device's own scale, a fractional one tried first as itself.
    EXPECT_EQ(windowOpeningFor(phone, 3, { 3840, 2160 }, std::nullopt).scale, 3);
    EXPECT_EQ(windowOpeningFor(phone, 3, { 1920, 1080 }, std::nullopt).scale, 2);
    EXPECT_EQ(windowOpeningFor(phone, 2.5, { 3840, 2160 }, std::nullopt).scale, 2.5);
    EXPECT_EQ(windowOpeningFor(phone, 2.5, { 1920, 1080 }, std::nullopt).scale, 2);
    EXPECT_EQ(windowOpeningFor(phone, 1, { 3840, 2160 }, std::nullopt).scale, 1);
    // --scale wins over the display, either way.
    auto forced = windowOpeningFor(phone, 2, { 800, 600 }, 3);
    EXPECT_EQ(forced.scale, 3);
    EXPECT_EQ(forced.width, 960);
    EXPECT_EQ(forced.height, 1440);
    EXPECT_EQ(windowOpeningFor(phone, 2, { 3840, 2160 }, 1).scale, 1);
}

TEST(WindowGeometry, WindowPointsMapToDevicePointsAtAnySize)
{
    const CGSize device { 320, 480 };
    struct Case {
        CGSize window;
        CGPoint in;
        CGPoint expected;
    };
    const Case cases[] = {
        // The window of the device's pixels and a half of it: no bars.
        { { 640, 960 }, { 320, 440 }, { 160, 220 } },
        { { 160, 240 }, { 0, 0 }, { 0, 0 } },
        { { 160, 240 }, { 80, 120 }, { 160, 240 } },
        // Wider than the device: bars left and right of a 400 x 600 picture that starts at x 200.
        { { 800, 600 }, { 200, 0 }, { 0, 0 } },
        { { 800, 600 }, { 400, 300 }, { 160, 240 } },
        { { 800, 600 }, { 500, 450 }, { 240, 360 } },
        // Taller: bars above and below a 300 x 450 picture that starts at y 75.
        { { 300, 600 }, { 150, 75 }, { 160, 0 } },
        { { 300, 600 }, { 150, 300 }, { 160, 240 } },
        // In the bars: the nearest edge of the screen.
        { { 800, 600 }, { 10, 300 }, { 0, 240 } },
        { { 300, 600 }, { 150, 5 }, { 160, 0 } },
        { { 300, 600 }, { -40, 300 }, { 0, 240 } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "window " << c.window.width << "x" << c.window.height << " at " << c.in.x
                                        << "," << c.in.y);
        auto point = windowPointToDevice(c.in, c.window, device);
        EXPECT_NEAR(point.x, c.expected.x, 1e-3);
        EXPECT_NEAR(point.y, c.expected.y, 1e-3);
    }
    // The far edges and beyond stay on the screen, as a script's points must.
    for (CGPoint beyond : { CGPoint { 800, 600 }, CGPoint { 5000, 5000 }, CGPoint { 700, 599.9f } }) {
        auto point = windowPointToDevice(beyond, { 800, 600 }, device);
        EXPECT_LT(point.x, device.width);
        EXPECT_LT(point.y, device.height);
        EXPECT_GT(point.y, device.height - 1);
    }
    // A window of no size has no picture; it maps everything to the origin rather than dividing by 0.
    auto none = windowPointToDevice({ 10, 10 }, { 0, 0 }, device);
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);
}

TEST(WindowGeometry, LetterboxCentresThePictureAtTheWindowsScale)
{
    auto box = letterboxFor({ 1000, 600 }, { 768, 1024 });
    EXPECT_DOUBLE_EQ(box.scale, 600.0 / 1024);
    EXPECT_NEAR(box.picture.size.width, 450, 1e-3);
    EXPECT_NEAR(box.picture.origin.x, 275, 1e-3);
    EXPECT_EQ(box.picture.origin.y, 0);

    // However large the window, a frame stays within bounds: the picture stops growing.
    auto huge = letterboxFor({ 32767, 32767 }, { 320, 480 });
    EXPECT_EQ(huge.scale, kMaximumPictureScale);
    EXPECT_NEAR(huge.picture.origin.x, (32767 - 320 * kMaximumPictureScale) / 2, 1e-3);
    auto inside = windowPointToDevice({ 32767 / 2.0f, 32767 / 2.0f }, { 32767, 32767 }, { 320, 480 });
    EXPECT_NEAR(inside.x, 160, 1e-2);
    EXPECT_NEAR(inside.y, 240, 1e-2);
}

} // namespace
