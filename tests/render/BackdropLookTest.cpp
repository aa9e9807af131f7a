#include "platform/render/Painter.h"
#include "platform/uikit/UINavigationBar.h"
#include "screens/ScreenProfile.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

// How each program's look treats what lies beneath a translucent bar: the flat look frosts it, so
// black and white stripes show through only as a soft wash; the glossy look tints it without
// blurring, so the stripes stay sharp at a tenth of their contrast.
struct BackdropRow {
    const char* look;
    CGFloat barHeight;
    std::optional<UIColor> tint;
    bool black;
    // In this row of pixels, a white stripe stands out from its black neighbour by this much red,
    // give or take the tolerance, and no step between neighbours is sharper.
    int y;
    int contrast;
    int tolerance;
};

constexpr BackdropRow kBackdropRows[] = {
    { "frosted", 64, UIColor::whiteColor(), false, 60, 0, 1 },
    { "tinted", 44, std::nullopt, true, 20, 26, 2 },
};

// The largest difference in red between neighbouring pixels of a row.
int sharpestStep(const render::Painter& painter, int y)
{
    int sharpest = 0;
    for (int x = 1; x < painter.pixelWidth(); ++x)
        sharpest = std::max(sharpest, std::abs(test::pixelAt(painter, x, y).r - test::pixelAt(painter, x - 1, y).r));
    return sharpest;
}

} // namespace

TEST(BackdropLook, TranslucentBarsOverStripes)
{
    const BackdropRow& row = kBackdropRows[kScreenProfile.isLegacy ? 1 : 0];
    SCOPED_TRACE(row.look);
    const double height = row.barHeight;
    render::Painter painter(320, height, 2);
    for (int i = 0; i < 160; ++i)
        painter.fillRect({ i * 2.0, 0, 1, height }, { 1, 1, 1, 1 });
    auto bar = UINavigationBar::create();
    bar->setFrame(CGRectMake(0, 0, 320, row.barHeight));
    bar->setBarTintColor(row.tint);
    if (row.black)
        bar->setBarStyle(UIBarStyleBlack);
    bar->setTranslucent(true);
    bar->drawHierarchy(painter);
    const int y = row.y;
    EXPECT_NEAR(test::pixelAt(painter, 0, y).r - test::pixelAt(painter, 2, y).r, row.contrast, row.tolerance);
    EXPECT_LE(sharpestStep(painter, y), row.contrast + row.tolerance);

    // An opaque bar lets nothing through.
    bar->setTranslucent(false);
    render::Painter opaque(320, height, 2);
    bar->drawHierarchy(opaque);
    EXPECT_EQ(sharpestStep(opaque, y), 0);
}
