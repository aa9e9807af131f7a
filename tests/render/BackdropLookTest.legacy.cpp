#include "platform/render/Painter.h"
#include "platform/uikit/UINavigationBar.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

// The older look tints a translucent bar's backdrop without blurring it: stripes beneath stay sharp
// behind the black bar, at a tenth of their contrast.
TEST(BackdropLook, TranslucentBarsTintWithoutBlurring)
{
    render::Painter painter(320, 44, 2);
    for (int i = 0; i < 160; ++i)
        painter.fillRect({ i * 2.0, 0, 1, 44 }, { 1, 1, 1, 1 });
    auto bar = UINavigationBar::create();
    bar->setFrame(CGRectMake(0, 0, 320, 44));
    bar->setBarStyle(UIBarStyleBlack);
    bar->setTranslucent(true);
    bar->drawHierarchy(painter);
    EXPECT_NEAR(test::pixelAt(painter, 0, 20).r - test::pixelAt(painter, 2, 20).r, 26, 2);
}
