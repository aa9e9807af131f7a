#include "platform/host/DeviceProfile.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIKitLook.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UISwitch.h"
#include "power/PowerAction.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using test::inkBounds;

namespace {

constexpr double kScale = 2;

int pixels(CGFloat points)
{
    return int(std::lround(points * kScale));
}

// Rows of device pixels that hold ink, merged into bands: one band per line of drawn text.
struct Band {
    int top = 0, bottom = 0;
};
std::vector<Band> inkBands(const render::Painter& painter)
{
    std::vector<Band> bands;
    for (int y = 0; y < painter.pixelHeight(); ++y) {
        if (!inkBounds(painter, 0, y, painter.pixelWidth(), y + 1))
            continue;
        if (!bands.empty() && bands.back().bottom == y)
            bands.back().bottom = y + 1;
        else
            bands.push_back({ y, y + 1 });
    }
    return bands;
}

bool overlaps(CGRect a, CGRect b)
{
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

// The style a wrapping label of this font lays its text out with.
render::TextStyle wrappingStyle(const UILabel& label)
{
    render::TextStyle style;
    style.font = toRenderFont(label.font());
    style.alignment = render::TextAlignment::Center;
    style.lineBreak = render::LineBreak::WordWrap;
    style.lineHeight = label.lineHeight();
    return style;
}

} // namespace

TEST(SwitchDrawing, KeepsItsFixedSizeAndInkWhateverFrameItIsGiven)
{
    const CGSize size = UISwitch::intrinsicSize();
    auto control = UISwitch::create(CGRectMake(0, 0, 200, 100));
    EXPECT_EQ(control->frame(), (CGRect { { 0, 0 }, size }));
    control->setFrame(CGRectMake(10, 20, 300, 5));
    EXPECT_EQ(control->frame(), (CGRect { { 10, 20 }, size }));
    control->setFrame(CGRectMake(0, 0, 200, 100));

    // Drawn off and on into a surface far larger than the switch: the track and the knob's
    // shadow must stay inside the switch's own size and still fill most of it.
    for (bool on : { false, true }) {
        SCOPED_TRACE(on ? "on" : "off");
        control->setOn(on);
        render::Painter painter(200, 100, kScale);
        control->drawHierarchy(painter);
        auto ink = inkBounds(painter);
        ASSERT_TRUE(ink);
        EXPECT_GE(ink->left, 0);
        EXPECT_GE(ink->top, 0);
        EXPECT_LE(ink->right, pixels(size.width));
        EXPECT_LE(ink->bottom, pixels(size.height));
        EXPECT_GE(ink->right - ink->left, pixels(size.width) - 2);
        EXPECT_GE(ink->bottom - ink->top, pixels(size.height) - 2);
    }
}

TEST(ButtonDrawing, TitleThatDoesNotFitKeepsItsStartAndEnd)
{
    const std::string title = "Non-MobileSubstrate Mode Without Any Tweaks Loaded";
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setTitle(NSString(title), UIControlStateNormal);
    button->setFrame(CGRectMake(0, 0, 120, 30));

    render::TextStyle style;
    style.font = toRenderFont(button->titleLabel()->font());
    style.alignment = render::TextAlignment::Center;
    style.lineBreak = render::LineBreak::SingleLineTruncateMiddle;
    render::Painter measurer(1, 1, kScale);
    ASSERT_GT(measurer.measureText(title, style).width, 120) << "the title must not fit for this test";
    std::string shown = measurer.visibleText(title, style, 120);
    size_t ellipsis = shown.find("…");
    ASSERT_NE(ellipsis, std::string::npos) << shown;
    std::string head = shown.substr(0, ellipsis);
    std::string tail = shown.substr(ellipsis + std::string("…").size());
    EXPECT_GE(head.size(), 3u) << shown;
    EXPECT_GE(tail.size(), 3u) << shown;
    EXPECT_EQ(title.substr(0, head.size()), head);
    EXPECT_EQ(title.substr(title.size() - tail.size()), tail);

    // The button draws that text: within a pixel or two of the shortened string drawn whole (the
    // ellipsis may be placed a little differently), and with ink at both ends of the frame.
    render::Painter drawn(120, 30, kScale);
    button->drawHierarchy(drawn);
    render::Painter expected(120, 30, kScale);
    style.color = toRGBA(button->currentTitleColor());
    style.lineBreak = render::LineBreak::SingleLineClip;
    expected.drawText(shown, { 0, 0, 120, 30 }, style);
    auto ink = inkBounds(drawn);
    auto expectedInk = inkBounds(expected);
    ASSERT_TRUE(ink && expectedInk);
    EXPECT_NEAR(ink->left, expectedInk->left, 3);
    EXPECT_NEAR(ink->right, expectedInk->right, 3);
    EXPECT_EQ(ink->top, expectedInk->top);
    EXPECT_EQ(ink->bottom, expectedInk->bottom);
    EXPECT_LE(ink->left, pixels(8));
    EXPECT_GE(ink->right, pixels(120 - 8));
    EXPECT_LE(ink->right, pixels(120));
    // The title's last letter, the tall "d" of "Loaded", ends the line rather than an ellipsis,
    // whose dots sit on the baseline: ink at the right end reaches the top of the capitals.
    auto rightEnd = inkBounds(drawn, ink->right - pixels(4), 0, ink->right, drawn.pixelHeight());
    ASSERT_TRUE(rightEnd);
    EXPECT_LE(rightEnd->top, ink->top + 2);
}

class LongestAlertLayout : public testing::Test {
protected:
    void SetUp() override
    {
        auto actions = powerActions();
        auto longest = std::max_element(actions.begin(), actions.end(),
            [](const PowerAction& a, const PowerAction& b) { return a.message.size() < b.message.size(); });
        message = std::string(longest->message);
        ASSERT_EQ(message.size(), 178u);
        alert = UIAlertView::initWithTitle(NSString(kConfirmationTitle), NSString(message), nullptr,
            NSString(kConfirmationCancelTitle), { NSString(kConfirmationOtherTitle) });
        for (auto& view : alert->panel()->subviews()) {
            auto* label = dynamic_cast<UILabel*>(view.get());
            if (label && label->text().utf8() == message)
                messageLabel = label;
            else if (label && label->text().utf8() == kConfirmationTitle)
                titleLabel = label;
        }
        ASSERT_TRUE(messageLabel);
        ASSERT_TRUE(titleLabel);
    }

    std::string message;
    std::shared_ptr<UIAlertView> alert;
    UILabel* titleLabel = nullptr;
    UILabel* messageLabel = nullptr;
};

TEST_F(LongestAlertLayout, PanelIsCentredWithTheButtonsSideBySideAtItsFoot)
{
    for (auto& device : deviceProfiles()) {
        SCOPED_TRACE(device.name);
        CGRect screen = CGRectMake(0, 0, CGFloat(device.width), CGFloat(device.height));
        alert->layoutForScreen(screen);
        EXPECT_EQ(alert->frame(), screen);
        CGRect panel = alert->panel()->frame();
        const UIKitLook& look = UIKitLook::current();
        EXPECT_EQ(panel.size.width, look.alertWidth);
        EXPECT_NEAR(panel.midX(), screen.midX(), 0.5);
        EXPECT_NEAR(panel.midY(), screen.midY(), 0.5);
        EXPECT_GE(panel.minY(), 0);
        EXPECT_LE(panel.maxY(), screen.maxY());

        UIButton* no = alert->buttonAtIndex(0);
        UIButton* yes = alert->buttonAtIndex(1);
        ASSERT_TRUE(no && yes);
        EXPECT_EQ(no->currentTitle().utf8(), "No");
        EXPECT_EQ(yes->currentTitle().utf8(), "Yes");
        // Equal halves of the row, apart by the look's gap and its margin from the sides and foot.
        const CGFloat margin = look.alertButtonMargin, height = look.alertButtonHeight;
        const CGFloat half = (look.alertWidth - 2 * margin - look.alertButtonGap) / 2;
        CGFloat row = panel.size.height - margin - height;
        EXPECT_EQ(no->frame(), CGRectMake(margin, row, half, height));
        EXPECT_EQ(yes->frame(), CGRectMake(look.alertWidth - margin - half, row, half, height));

        // Title, message and button row follow one another down the panel without touching.
        std::vector<CGRect> parts { titleLabel->frame(), messageLabel->frame(), no->frame(), yes->frame() };
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_GE(parts[i].minX(), 0) << i;
            EXPECT_LE(parts[i].maxX(), panel.size.width) << i;
            EXPECT_GE(parts[i].minY(), 0) << i;
            EXPECT_LE(parts[i].maxY(), panel.size.height) << i;
            for (size_t j = i + 1; j < parts.size(); ++j)
                EXPECT_FALSE(overlaps(parts[i], parts[j])) << i << " and " << j;
        }
        EXPECT_LE(titleLabel->frame().maxY(), messageLabel->frame().minY());
        EXPECT_LE(messageLabel->frame().maxY(), row);
    }
}

TEST_F(LongestAlertLayout, MessageLabelHoldsEveryLineWithTheEmptyOne)
{
    alert->layoutForScreen(CGRectMake(0, 0, 320, 480));
    CGRect frame = messageLabel->frame();
    auto style = wrappingStyle(*messageLabel);
    render::Painter measurer(1, 1, kScale);
    std::string laidOut = measurer.visibleText(message, style, frame.size.width);
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        size_t end = laidOut.find('\n', start);
        lines.push_back(laidOut.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    ASSERT_GE(lines.size(), 4u) << laidOut;
    EXPECT_EQ(lines.back(), "Continue?");
    EXPECT_EQ(lines[lines.size() - 2], "") << "the two line feeds leave an empty line";
    EXPECT_EQ(laidOut.find("…"), std::string::npos) << laidOut;

    double lineHeight = measurer.measureText("Continue?", style, frame.size.width).height;
    EXPECT_GE(frame.size.height, lineHeight * double(lines.size()) - 0.5);

    // Drawn on its own, with room below it, every line's ink lies inside the label.
    render::Painter painter(frame.size.width, frame.size.height + 40, kScale);
    painter.save();
    painter.translate(-frame.minX(), -frame.minY());
    messageLabel->drawHierarchy(painter);
    painter.restore();
    auto ink = inkBounds(painter);
    ASSERT_TRUE(ink);
    EXPECT_LE(ink->bottom, pixels(frame.size.height));
    auto bands = inkBands(painter);
    // The lines stand 16 points apart, so no descender touches the line below: every line with
    // text is a band of its own, and the empty line leaves a gap a line high before "Continue?".
    EXPECT_EQ(lineHeight, 16);
    ASSERT_EQ(bands.size(), lines.size() - 1);
    EXPECT_LE(bands.back().bottom - bands.back().top, pixels(CGFloat(lineHeight)));
    EXPECT_GE(bands.back().top - bands[bands.size() - 2].bottom, pixels(CGFloat(lineHeight)) - 2);
}
