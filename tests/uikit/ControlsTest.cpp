#include "platform/foundation/NSURL.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/TempDir.h"
#include "tests/support/UIKitFixture.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

using ControlsTest = UIKitFixture;

// Records each value-changed action with the switch's state at that moment.
class SwitchWatcher final : public NSObject {
public:
    static std::shared_ptr<SwitchWatcher> create() { return std::shared_ptr<SwitchWatcher>(new SwitchWatcher); }
    void switched() { states.push_back(toggle->isOn()); }
    UISwitch* toggle = nullptr;
    std::vector<bool> states;
};

TEST_F(ControlsTest, SwitchTapsDragsAndTouchesThatEndOutside)
{
    auto toggle = UISwitch::create(CGRectMake(320 - 66, 120, 0, 0));
    EXPECT_EQ(toggle->frame(), (CGRect { { 254, 120 }, UISwitch::intrinsicSize() }));
    auto watcher = SwitchWatcher::create();
    watcher->toggle = toggle.get();
    toggle->addTarget(watcher.get(), &SwitchWatcher::switched, UIControlEventValueChanged);

    // A tap: the action comes once, after the state has changed.
    toggle->touchesBegan({ 10, 15 });
    toggle->touchesEnded({ 10, 15 });
    EXPECT_EQ(watcher->states, std::vector<bool> { true });
    settle();

    // A touch that wanders out of the switch without dragging the knob changes nothing.
    toggle->touchesBegan({ 40, 15 });
    toggle->touchesMoved({ 40, 80 });
    toggle->touchesEnded({ 40, 80 });
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(watcher->states.size(), 1u);

    // Dragging the knob less than half way and letting go puts it back.
    toggle->touchesBegan({ 40, 15 });
    toggle->touchesMoved({ 34, 15 });
    EXPECT_LT(toggle->knobPosition(), 1.0);
    toggle->touchesEnded({ 34, 15 });
    settle();
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(toggle->knobPosition(), 1.0);
    EXPECT_EQ(watcher->states.size(), 1u);

    // Past the middle it switches on release, even when the finger ends outside.
    toggle->touchesBegan({ 40, 15 });
    toggle->touchesMoved({ 20, 15 });
    EXPECT_TRUE(toggle->isOn());
    toggle->touchesMoved({ -30, 15 });
    EXPECT_EQ(toggle->knobPosition(), 0.0);
    toggle->touchesEnded({ -30, 15 });
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(watcher->states, (std::vector<bool> { true, false }));

    // Set from code: no action.
    toggle->setOn(true);
    EXPECT_EQ(watcher->states.size(), 2u);
}

TEST_F(ControlsTest, LabelDefaults)
{
    auto label = UILabel::create(CGRectMake(15, 120, 110, 31));
    EXPECT_EQ(label->font(), UIFont::systemFontOfSize(17));
    EXPECT_EQ(label->backgroundColor(), UIColor::clearColor());
    EXPECT_EQ(label->textAlignment(), NSTextAlignmentLeft);
}

TEST_F(ControlsTest, CustomButtonDrawsItsImageOnlyAndDarkensItWhenPressed)
{
    auto window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(87, 348, 147, 47));
    // Half transparent, half orange: the transparent half must stay untouched when pressed.
    std::vector<uint32_t> pixels(147 * 47, 0);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i % 147) < 70 ? 0xFFFFA000u : 0;
    button->setImage(UIImage::imageWithRenderImage(render::Image::fromARGB(147, 47, std::move(pixels))), UIControlStateNormal);
    window->addSubview(button);

    auto draw = [&] {
        render::Painter painter(147, 47, 2);
        CGRect frame = button->frame();
        button->setFrame(CGRectMake(0, 0, 147, 47));
        button->drawHierarchy(painter);
        button->setFrame(frame);
        return std::pair(test::pixelAt(painter, 20, 20), test::pixelAt(painter, 250, 20));
    };
    auto [normal, clear] = draw();
    EXPECT_EQ(normal.r, 255);
    EXPECT_EQ(normal.g, 160);
    EXPECT_EQ(clear.a, 0);
    button->setHighlighted(true);
    auto [pressed, stillClear] = draw();
    EXPECT_EQ(pressed.a, 255);
    EXPECT_LT(pressed.r, 200);
    EXPECT_LT(pressed.g, normal.g);
    EXPECT_EQ(stillClear.a, 0);
    button->setHighlighted(false);

    // Without an image the button still takes touches over its whole frame.
    button->setImage(nullptr, UIControlStateNormal);
    EXPECT_EQ(_application->hitTest({ 90, 350 }), button.get());
    EXPECT_EQ(_application->hitTest({ 232, 393 }), button.get());
}

constexpr GifColorType kGIFColors[] = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 255, 255, 255 } };

// GIF bytes made with giflib's own encoder.
struct GIFMaker {
    int width = 4, height = 4;
    std::vector<GifColorType> palette { std::begin(kGIFColors), std::end(kGIFColors) };
    int transparent = -1;
    bool interlaced = false;
    // Index of each pixel, row by row in display order.
    std::vector<GifByteType> indices;

    std::vector<unsigned char> bytes() const
    {
        std::vector<unsigned char> out;
        int error = 0;
        GifFileType* gif = EGifOpen(&out, [](GifFileType* file, const GifByteType* data, int length) {
            auto* sink = static_cast<std::vector<unsigned char>*>(file->UserData);
            sink->insert(sink->end(), data, data + length);
            return length;
        }, &error);
        EGifSetGifVersion(gif, true);
        ColorMapObject* map = GifMakeMapObject(int(palette.size()), palette.data());
        EGifPutScreenDesc(gif, width, height, 8, 0, map);
        if (transparent >= 0) {
            GraphicsControlBlock control {};
            control.TransparentColor = transparent;
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        }
        EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
        // An interlaced image stores its rows in four passes.
        std::vector<int> rows;
        if (interlaced) {
            for (auto [start, step] : { std::pair(0, 8), std::pair(4, 8), std::pair(2, 4), std::pair(1, 2) })
                for (int y = start; y < height; y += step)
                    rows.push_back(y);
        } else {
            for (int y = 0; y < height; ++y)
                rows.push_back(y);
        }
        for (int y : rows)
            EGifPutLine(gif, const_cast<GifByteType*>(&indices[size_t(y * width)]), width);
        GifFreeMapObject(map);
        EGifCloseFile(gif, &error);
        return out;
    }
};

uint32_t pixel(const UIImage& image, int x, int y)
{
    render::Painter painter(image.size().width, image.size().height, 1);
    painter.drawImage(image.renderImage(), { 0, 0, image.size().width, image.size().height });
    auto p = test::pixelAt(painter, x, y);
    return uint32_t(p.a) << 24 | uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | uint32_t(p.b);
}

TEST_F(ControlsTest, ImagesDecodeFromGIFAndPNGDataOnly)
{
    GIFMaker plain;
    plain.width = 2, plain.height = 1;
    plain.indices = { 0, 3 };
    plain.transparent = 3;
    auto image = UIImage::imageWithData(*NSData::dataWithBytes(plain.bytes()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(2, 1));
    EXPECT_EQ(pixel(*image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(pixel(*image, 1, 0), 0u);

    // Rows of an interlaced image come back in display order: row y has palette index y % 3.
    GIFMaker interlaced;
    interlaced.width = 1, interlaced.height = 9;
    interlaced.interlaced = true;
    for (int y = 0; y < 9; ++y)
        interlaced.indices.push_back(GifByteType(y % 3));
    image = UIImage::imageWithData(*NSData::dataWithBytes(interlaced.bytes()));
    ASSERT_TRUE(image);
    constexpr uint32_t kPaletteColors[] = { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu };
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(pixel(*image, 0, y), kPaletteColors[y % 3]) << y;

    // A broken image, a truncated one and bytes of no picture at all give none.
    auto bytes = plain.bytes();
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes({ bytes.begin(), bytes.begin() + 20 })));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes({ 'G', 'I', 'F', '8', '9', 'a', 0, 0 })));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes({ 'h', 'e', 'l', 'l', 'o' })));
    EXPECT_FALSE(UIImage::imageWithData(*NSData::dataWithBytes({ 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0 })));

    // A PNG, carried by a percent-encoded data URL.
    render::Painter painter(3, 2, 1);
    painter.fillRect({ 0, 0, 3, 2 }, { 0, 0, 1, 1 });
    TempDir dir;
    ASSERT_TRUE(painter.writePNG((dir.path() / "blue.png").string()));
    std::ifstream file(dir.path() / "blue.png", std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string url = "data:image/png,";
    for (unsigned char c : png) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        url += escaped;
    }
    auto data = NSData::dataWithContentsOfURL(*NSURL::URLWithString(NSString(url)));
    ASSERT_TRUE(data);
    image = UIImage::imageWithData(*data);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(3, 2));
    EXPECT_EQ(pixel(*image, 2, 1), 0xFF0000FFu);
}

} // namespace
