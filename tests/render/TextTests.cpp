#include "platform/render/Fonts.h"
#include "platform/render/Painter.h"
#include "platform/render/TextLayout.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace render;

namespace {

TextStyle styleWith(LineBreak lineBreak, double size = 17)
{
    TextStyle style;
    style.font.size = size;
    style.lineBreak = lineBreak;
    return style;
}

bool samePixels(const Painter& a, const Painter& b)
{
    return a.pixelWidth() == b.pixelWidth() && a.pixelHeight() == b.pixelHeight() && a.stride() == b.stride()
        && !std::memcmp(a.data(), b.data(), static_cast<size_t>(a.stride()) * a.pixelHeight());
}

// The family of the face Pango picks for the first character of `sample`, fallback included.
std::string familyShaping(const char* sample)
{
    PangoLayout* layout = pango_layout_new(sharedPangoContext());
    pango_layout_set_text(layout, sample, -1);
    pango_layout_set_font_description(layout, fontDescription(Font { }));
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
    auto* run = static_cast<PangoGlyphItem*>(line->runs->data);
    PangoFontDescription* description = pango_font_describe(run->item->analysis.font);
    std::string family = pango_font_description_get_family(description);
    pango_font_description_free(description);
    g_object_unref(layout);
    return family;
}

} // namespace

TEST(Fonts, TheFamiliesViewsAskForAllResolveToNimbusSans)
{
    ASSERT_TRUE(configureFonts()) << "the project's fonts.conf was not loaded";
    for (const char* family : { "", "Helvetica", "Helvetica Neue", ".SF UI Text", "System" }) {
        for (FontWeight weight : { FontWeight::Regular, FontWeight::Semibold, FontWeight::Bold })
            EXPECT_EQ(resolvedFontFamily(Font { family, 17, weight }), "Nimbus Sans") << "family '" << family << "'";
    }
}

TEST(Fonts, CharactersNimbusSansLacksComeFromDejaVuSans)
{
    configureFonts();
    EXPECT_EQ(familyShaping("A"), "Nimbus Sans");
    EXPECT_EQ(familyShaping("\u2603"), "DejaVu Sans");
}

// The configuration is loaded once per process, so these look at it in a fresh one each.
TEST(FontsConfiguration, EnvironmentOverridesTheProjectsConfiguration)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string path = (std::filesystem::path(testing::TempDir()) / (std::to_string(getpid()) + "-monospaced.conf")).string();
    std::ofstream(path) << "<?xml version=\"1.0\"?><fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>"
                           "<cachedir prefix=\"xdg\">fontconfig</cachedir><alias binding=\"strong\">"
                           "<family>Helvetica</family><prefer><family>DejaVu Sans Mono</family></prefer>"
                           "</alias></fontconfig>";
    EXPECT_EXIT(
        {
            setenv("ZENTROVA_FONTS_CONF", path.c_str(), 1);
            bool loaded = configureFonts();
            std::exit(loaded && resolvedFontFamily(Font { "Helvetica" }) == "DejaVu Sans Mono" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(FontsConfiguration, MissingConfigurationFallsBackToTheSystemFonts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ZENTROVA_FONTS_CONF", "/nonexistent/fonts.conf", 1);
            bool loaded = configureFonts();
            std::exit(!loaded && measureText("text", TextStyle { }).width > 0 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(TextMeasuring, MeasuredWidthIsExactlyEnoughToDrawWithoutTruncation)
{
    Painter painter(10, 10, 2);
    const std::string text = "Reboot into safe mode";
    for (double size : { 13.0, 17.0, 22.5 }) {
        TextStyle style = styleWith(LineBreak::SingleLineTruncateTail, size);
        double width = painter.measureText(text, style).width;
        ASSERT_GT(width, 0);
        EXPECT_EQ(painter.visibleText(text, style, width), text) << size;
        std::string shortened = painter.visibleText(text, style, width - 1);
        EXPECT_NE(shortened, text) << size;
        EXPECT_TRUE(shortened.ends_with("…")) << shortened;
    }
}

TEST(TextMeasuring, DrawingInTheMeasuredWidthMatchesDrawingUnconstrained)
{
    // At a scale that is not a whole number a layout made for the device would measure
    // differently from one made in points; the drawn pixels show which one was used.
    const std::string text = "Refresh icon cache";
    TextStyle style = styleWith(LineBreak::SingleLineTruncateTail);
    Size size = measureText(text, style);
    auto draw = [&](double width, LineBreak lineBreak) {
        auto painter = std::make_unique<Painter>(200, 40, 1.37);
        style.lineBreak = lineBreak;
        painter->drawText(text, { 10, 0, width, 40 }, style);
        return painter;
    };
    auto unconstrained = draw(180, LineBreak::SingleLineClip);
    EXPECT_TRUE(samePixels(*draw(size.width, LineBreak::SingleLineTruncateTail), *unconstrained));
    EXPECT_FALSE(samePixels(*draw(size.width - 1, LineBreak::SingleLineTruncateTail), *unconstrained));
}

TEST(TextTruncation, MiddleTruncationKeepsBothEnds)
{
    Painter painter(10, 10, 2);
    TextStyle style = styleWith(LineBreak::SingleLineTruncateMiddle);
    const std::string text = "Beginning of a rather long title that finally ends here";
    std::string visible = painter.visibleText(text, style, 150);
    EXPECT_TRUE(visible.starts_with("Beg")) << visible;
    EXPECT_TRUE(visible.ends_with("here")) << visible;
    EXPECT_NE(visible.find("…"), std::string::npos) << visible;
    EXPECT_LT(visible.size(), text.size());
}

TEST(TextTruncation, ClipNeverEllipsizesButStaysInsideTheRect)
{
    Painter painter(100, 30, 2);
    TextStyle style = styleWith(LineBreak::SingleLineClip);
    const std::string text = "A string far too long for thirty points";
    EXPECT_EQ(painter.visibleText(text, style, 30), text);
    painter.drawText(text, { 20, 0, 30, 30 }, style);
    auto ink = test::inkBounds(painter);
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->left, 40);
    EXPECT_LE(ink->right, 100);
}

TEST(TextWrapping, LineFeedsAreHonouredAndTwoMakeAnEmptyLine)
{
    Painter painter(10, 10, 2);
    TextStyle style = styleWith(LineBreak::WordWrap);
    double line = painter.measureText("a", style, 200).height;
    double threeLines = painter.measureText("a\n\nb", style, 200).height;
    EXPECT_NEAR(threeLines, 3 * line, 0.5);
    EXPECT_EQ(painter.visibleText("a\n\nb", style, 200), "a\n\nb");
    // Unconstrained wrapped text still breaks at line feeds.
    EXPECT_NEAR(painter.measureText("a\nb", style).height, 2 * line, 0.5);
}

TEST(TextWrapping, LineHeightSetsTheDistanceFromLineToLine)
{
    Painter painter(10, 10, 2);
    TextStyle style = styleWith(LineBreak::WordWrap, 13);
    style.lineHeight = 16;
    EXPECT_DOUBLE_EQ(painter.measureText("one", style, 200).height, 16);
    EXPECT_DOUBLE_EQ(painter.measureText("one two three four", style, 40).height, 4 * 16);
    auto layout = TextLayout::create(u"one\ntwo", style, { }, 200);
    layout->layOutBetween(0, 100, 0);
    auto lines = layout->linesBetween(0, 100);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[1].baseline - lines[0].baseline, 16);
    // Single-line text keeps its font's own height whatever the style asks of wrapped lines.
    TextStyle single = styleWith(LineBreak::SingleLineClip, 13);
    double own = painter.measureText("one", single).height;
    single.lineHeight = 40;
    EXPECT_DOUBLE_EQ(painter.measureText("one", single).height, own);
}

TEST(TextWrapping, LongWordsBreakInsideTheWidth)
{
    Painter painter(10, 10, 2);
    TextStyle style = styleWith(LineBreak::WordWrap);
    std::string visible = painter.visibleText("Supercalifragilisticexpialidocious", style, 60);
    EXPECT_NE(visible.find('\n'), std::string::npos) << visible;
    EXPECT_LE(painter.measureText("Supercalifragilisticexpialidocious", style, 60).width, 60);
}

TEST(TextWrapping, TabsAdvanceToATabStopAndDrawNothing)
{
    TextStyle style = styleWith(LineBreak::WordWrap);
    double a = measureText("a", style).width;
    double tabbed = measureText("a\tb", style).width;
    double b = measureText("b", style).width;
    // The default tab stops are eight spaces apart, far wider than a space.
    EXPECT_GT(tabbed - a - b, 2 * measureText(" ", style).width);

    Painter painter(100, 30, 2);
    painter.drawText("a\tb", { 0, 0, 100, 30 }, style);
    // A missing-glyph box would show up between the two letters.
    int gapStart = static_cast<int>((a + 1) * 2);
    int gapEnd = static_cast<int>((tabbed - b - 1) * 2);
    ASSERT_LT(gapStart, gapEnd);
    EXPECT_FALSE(test::inkBounds(painter, gapStart, 0, gapEnd, 60));
}

TEST(TextDrawing, SingleLineTextIsCentredVerticallyAndAlignedHorizontally)
{
    const std::string text = "Respring";
    for (TextAlignment alignment : { TextAlignment::Left, TextAlignment::Center, TextAlignment::Right }) {
        Painter painter(200, 60, 2);
        TextStyle style = styleWith(LineBreak::SingleLineTruncateTail);
        style.alignment = alignment;
        painter.drawText(text, { 20, 10, 160, 40 }, style);
        auto ink = test::inkBounds(painter);
        ASSERT_TRUE(ink);
        // Ink of a capital and lowercase letters with a descender sits near the middle of the line.
        EXPECT_NEAR((ink->top + ink->bottom) / 2.0, 60, 6);
        double width = measureText(text, style).width * 2;
        double expectedLeft = alignment == TextAlignment::Left ? 40
            : alignment == TextAlignment::Center               ? 40 + (320 - width) / 2
                                                               : 360 - width;
        EXPECT_NEAR(ink->left, expectedLeft, 4) << static_cast<int>(alignment);
    }
}

TEST(TextDrawing, RunsCarryTheirOwnColourAlphaAndFont)
{
    // Large enough for the stems to cover whole pixels.
    Painter painter(300, 50, 1);
    TextStyle style = styleWith(LineBreak::SingleLineClip, 30);
    style.color = { 0, 0, 0, 0.5 };
    const std::string text = "MMMM WWWW";
    style.runs.push_back({ 0, 4, std::nullopt, RGBA { 1, 0, 0, 1 } });
    painter.drawText(text, { 0, 0, 300, 50 }, style);

    double split = measureText("MMMM", style).width;
    int redMax = 0, greenMax = 0, alphaLeft = 0, alphaRight = 0;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 300; ++x) {
            test::Pixel pixel = test::pixelAt(painter, x, y);
            if (x < split) {
                redMax = std::max(redMax, pixel.r);
                greenMax = std::max(greenMax, pixel.g);
                alphaLeft = std::max(alphaLeft, pixel.a);
            } else {
                alphaRight = std::max(alphaRight, pixel.a);
            }
        }
    }
    EXPECT_EQ(alphaLeft, 255);
    EXPECT_EQ(redMax, 255);
    EXPECT_EQ(greenMax, 0);
    EXPECT_NEAR(alphaRight, 128, 2);

    TextStyle bigger = style;
    bigger.runs = { { 5, 9, Font { "", 60, FontWeight::Bold }, std::nullopt } };
    EXPECT_GT(measureText(text, bigger).height, measureText(text, style).height * 1.5);
}

TEST(TextDrawing, RunsBeyondTheTextAreIgnored)
{
    TextStyle style = styleWith(LineBreak::SingleLineTruncateTail);
    style.runs = { { 2, 400, Font { "", 30 }, std::nullopt }, { 9, 3, std::nullopt, RGBA { 1, 0, 0, 1 } } };
    EXPECT_GT(measureText("abcd", style).width, 0);
}

TEST(TextDrawing, TopAlignedTextScrollsAndIsClippedToItsRect)
{
    TextStyle style = styleWith(LineBreak::WordWrap);
    double line = measureText("A", style).height;

    Painter scrolled(100, 100, 2);
    // The third line is lowercase: the round top of a capital C would reach a fraction of a pixel
    // into the line above it.
    double height = scrolled.drawTextTopAligned("A\nB\nn", { 0, 20, 100, line }, style, line);
    EXPECT_NEAR(height, 3 * line, 0.5);
    auto ink = test::inkBounds(scrolled);
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->top, 40);
    EXPECT_LE(ink->bottom, static_cast<int>(std::ceil((20 + line) * 2)));

    // Scrolled by one line, the rect shows the second line just as it would show it alone.
    Painter alone(100, 100, 2);
    alone.drawTextTopAligned("B", { 0, 20, 100, line }, style);
    EXPECT_TRUE(samePixels(scrolled, alone));
}

TEST(TextDrawing, SameTextTwiceGivesIdenticalPixels)
{
    auto draw = [] {
        auto painter = std::make_unique<Painter>(160, 60, 2);
        TextStyle style = styleWith(LineBreak::WordWrap, 15);
        style.alignment = TextAlignment::Center;
        painter->drawText("Non-MobileSubstrate mode\nwith a second line", { 5, 5, 150, 50 }, style);
        return painter;
    };
    auto first = draw();
    EXPECT_TRUE(test::inkBounds(*first));
    EXPECT_TRUE(samePixels(*first, *draw()));
}

TEST(TextDrawing, DegenerateInputLeavesThePainterWorking)
{
    Painter painter(20, 20, 1);
    painter.drawText("zero", { 0, 0, 20, 20 }, styleWith(LineBreak::SingleLineTruncateTail, 0));
    painter.drawText("\xff\xfe broken \xc3", { 0, 0, 20, 20 }, styleWith(LineBreak::WordWrap));
    painter.drawText("nowhere", { 0, 0, 0, 20 }, styleWith(LineBreak::SingleLineTruncateTail));
    EXPECT_EQ(measureText("", styleWith(LineBreak::WordWrap)).width, 0);
    EXPECT_GT(measureText("\xff\x61", styleWith(LineBreak::SingleLineClip)).width, 0); // a stray byte, then "a"

    painter.clear({ 0, 0, 0, 0 });
    painter.fillRect({ 0, 0, 20, 20 }, { 0, 0, 1, 1 });
    EXPECT_EQ(test::pixelAt(painter, 10, 10).b, 255);
}
