#include "platform/render/Painter.h"
#include "platform/uikit/UINavigationBar.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The largest difference in red between neighbouring pixels of a row.
int sharpestStep(const render::Painter& painter, int y)
{
    int sharpest = 0;
    for (int x = 1; x < painter.pixelWidth(); ++x)
        sharpest = std::max(sharpest, std::abs(test::pixelAt(painter, x, y).r - test::pixelAt(painter, x - 1, y).r));
    return sharpest;
}

} // namespace

// Black and white stripes under a translucent white bar show through only as a soft wash.
TEST(BackdropLook, TranslucentBarsFrostWhatLiesBeneath)
{
    render::Painter painter(320, 64, 2);
    for (int i = 0; i < 160; ++i)
        painter.fillRect({ i * 2.0, 0, 1, 64 }, { 1, 1, 1, 1 });
    auto bar = UINavigationBar::create();
    bar->setFrame(CGRectMake(0, 0, 320, 64));
    bar->setBarTintColor(UIColor::whiteColor());
    bar->setTranslucent(true);
    bar->drawHierarchy(painter);
    EXPECT_LE(sharpestStep(painter, 60), 1);

    // An opaque bar has nothing to frost.
    bar->setTranslucent(false);
    render::Painter opaque(320, 64, 2);
    bar->drawHierarchy(opaque);
    EXPECT_EQ(sharpestStep(opaque, 60), 0);
}
