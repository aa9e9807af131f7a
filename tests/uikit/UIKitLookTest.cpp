#include "platform/render/Painter.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UISwitch.h"
#include "screens/ScreenProfile.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr double kScale = 2;

// The switch and the bar are the same classes in both programs; what tells them apart is the look
// each program links: the switch's size, and how a black bar and its buttons are painted.
struct LookRow {
    const char* profile;
    CGSize switchSize;
    // The bar's upper half is lit and its lower half dark.
    bool barIsGlossy;
    // A bar button stands on a ground of its own, which darkens while it is pressed.
    bool barButtonsBordered;
};

constexpr LookRow kLookRows[] = {
    { "main", { 51, 31 }, false, false },
    { "legacy", { 79, 27 }, true, true },
};

const LookRow& rowOfThisProgram()
{
    return kLookRows[kScreenProfile.isLegacy ? 1 : 0];
}

std::shared_ptr<UINavigationBar> blackBar(bool withBackButton)
{
    auto bar = UINavigationBar::create();
    bar->setFrame(CGRectMake(0, 0, 320, 44));
    bar->setBarStyle(UIBarStyleBlack);
    bar->setTranslucent(false);
    auto item = UINavigationItem::initWithTitle(NSString("Zentrova"));
    if (withBackButton)
        item->setLeftBarButtonItem(
            UIBarButtonItem::initWithTitle<NSObject>(NSString("Back"), UIBarButtonItemStylePlain, nullptr, nullptr));
    bar->setItems({ item });
    return bar;
}

test::Pixel pixelOf(UINavigationBar& bar, CGPoint point)
{
    render::Painter painter(320, 44, kScale);
    painter.clear({ 1, 1, 1, 1 });
    bar.drawHierarchy(painter);
    return test::pixelAt(painter, int(point.x * kScale), int(point.y * kScale));
}

} // namespace

TEST(UIKitLook, SwitchSizeAndBarDrawingComeFromTheLook)
{
    const LookRow& row = rowOfThisProgram();
    SCOPED_TRACE(row.profile);

    auto toggle = UISwitch::create(CGRectMake(10, 20, 200, 100));
    EXPECT_EQ(toggle->frame(), (CGRect { { 10, 20 }, row.switchSize }));

    // A column right of the title, clear of text: black in both looks, lit at the top in one.
    auto plain = blackBar(false);
    auto upper = pixelOf(*plain, { 300, 8 });
    auto lower = pixelOf(*plain, { 300, 36 });
    EXPECT_LT(upper.r, 90);
    EXPECT_LT(lower.r, 40);
    EXPECT_EQ(upper.r > lower.r + 10, row.barIsGlossy) << upper.r << " over " << lower.r;

    // Just inside the Back button's frame, above its title: the bare bar, or the button's ground.
    auto withButton = blackBar(true);
    auto* back = withButton->topItem()->leftBarButtonItem();
    auto frame = withButton->frameForBarButtonItem(back);
    ASSERT_TRUE(frame);
    CGPoint corner { frame->minX() + 2, frame->minY() + 3 };
    auto ground = pixelOf(*withButton, corner);
    auto bare = pixelOf(*plain, corner);
    EXPECT_EQ(std::abs(ground.r - bare.r) > 8, row.barButtonsBordered) << ground.r << " against " << bare.r;
    withButton->touchesBegan({ frame->midX(), frame->midY() });
    ASSERT_EQ(withButton->pressedItem(), back);
    auto pressed = pixelOf(*withButton, corner);
    if (row.barButtonsBordered)
        EXPECT_LT(pressed.r, ground.r);
    else
        EXPECT_EQ(pressed.r, ground.r);
}
