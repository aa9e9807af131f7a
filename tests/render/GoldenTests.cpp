#include "platform/render/Painter.h"
#include "tests/support/ImageCompare.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace render;

namespace {

TextStyle style(double size, FontWeight weight = FontWeight::Regular, RGBA color = { 0, 0, 0, 1 })
{
    TextStyle result;
    result.font = { "", size, weight };
    result.color = color;
    return result;
}

// Golden tests must not record while these run, whatever the environment says.
struct ComparingOnly {
    ComparingOnly()
    {
        if (const char* value = std::getenv("ZENTROVA_RECORD_GOLDENS"))
            saved = value;
        unsetenv("ZENTROVA_RECORD_GOLDENS");
    }
    ~ComparingOnly()
    {
        if (!saved.empty())
            setenv("ZENTROVA_RECORD_GOLDENS", saved.c_str(), 1);
    }
    std::string saved;
};

std::string scratch(const std::string& name)
{
    // Named after the process so that test runs side by side do not share files.
    return (std::filesystem::path(testing::TempDir()) / (std::to_string(getpid()) + "-" + name)).string();
}

} // namespace

TEST(RenderGolden, TextSample)
{
    Painter painter(200, 80, 2);
    painter.clear({ 0.94, 0.94, 0.96, 1 });
    painter.fillRoundedRect({ 8, 6, 184, 30 }, 6, { 1, 1, 1, 1 });
    painter.line(8, 21.25, 192, 21.25, 0.5, { 0.78, 0.78, 0.8, 1 });

    TextStyle title = style(13, FontWeight::Semibold);
    title.runs.push_back({ 7, 13, std::nullopt, RGBA { 0, 0.48, 1, 1 } });
    painter.drawText("Reboot device", { 16, 6, 168, 15 }, title);

    TextStyle detail = style(10, FontWeight::Regular, { 0.43, 0.43, 0.45, 1 });
    detail.alignment = TextAlignment::Right;
    detail.lineBreak = LineBreak::SingleLineTruncateMiddle;
    painter.drawText("Restarts without a respring of the springboard", { 16, 21, 168, 15 }, detail);

    TextStyle wrapped = style(11);
    wrapped.lineBreak = LineBreak::WordWrap;
    wrapped.alignment = TextAlignment::Center;
    painter.drawText(
        "Version\t3.0\nCentred text that wraps onto a second line when it runs long", { 12, 40, 176, 40 }, wrapped);

    test::expectMatchesGolden(painter, "render-text-sample", 8);
}

TEST(ImageCompare, CountsDifferingPixelsAndMarksThemInRed)
{
    ComparingOnly comparing;
    std::string golden = scratch("image-compare.png");
    Painter painter(4, 4, 1);
    painter.fillRect({ 0, 0, 4, 4 }, { 0, 0, 1, 1 });
    ASSERT_TRUE(painter.writePNG(golden));

    // One channel off by the tolerance is still the same pixel.
    painter.fillRect({ 0, 3, 1, 1 }, { 0, 0, 253.0 / 255, 1 });
    painter.fillRect({ 1, 1, 2, 1 }, { 1, 0, 0, 1 });
    cairo_surface_t* diffImage = nullptr;
    auto diff = test::compareImages(painter.surface(), golden, 2, &diffImage);
    ASSERT_TRUE(diff);
    EXPECT_TRUE(diff->sameSize);
    EXPECT_EQ(diff->differingPixels, 2u);
    EXPECT_EQ(diff->maxChannelDelta, 255);
    ASSERT_TRUE(diffImage);
    auto diffPixel = [&](int x, int y) {
        uint32_t pixel;
        std::memcpy(
            &pixel, cairo_image_surface_get_data(diffImage) + y * cairo_image_surface_get_stride(diffImage) + x * 4, 4);
        return pixel;
    };
    EXPECT_EQ(diffPixel(1, 1), 0xffff0000u);
    EXPECT_EQ(diffPixel(2, 1), 0xffff0000u);
    EXPECT_NE(diffPixel(0, 1), 0xffff0000u);
    EXPECT_NE(diffPixel(0, 3), 0xffff0000u);
    cairo_surface_destroy(diffImage);

    Painter wider(5, 4, 1);
    auto wrongSize = test::compareImages(wider.surface(), golden, 2);
    ASSERT_TRUE(wrongSize);
    EXPECT_FALSE(wrongSize->sameSize);
    EXPECT_FALSE(test::compareImages(wider.surface(), scratch("no-such.png"), 2));
}

TEST(ImageCompare, FailureNamesTheCountAndLeavesTheThreeImages)
{
    ComparingOnly comparing;
    std::string golden = scratch("golden-check.png");
    Painter painter(4, 4, 1);
    ASSERT_TRUE(painter.writePNG(golden));
    painter.fillRect({ 0, 0, 2, 1 }, { 1, 0, 0, 1 });

    EXPECT_TRUE(test::matchesGoldenAt(painter.surface(), golden, "golden-check", 2, 2));
    auto overBudget = test::matchesGoldenAt(painter.surface(), golden, "golden-check", 1, 2);
    ASSERT_FALSE(overBudget);
    std::string message = overBudget.message();
    EXPECT_NE(message.find("2 pixels differ"), std::string::npos) << message;
    for (const char* suffix : { ".expected.png", ".actual.png", ".diff.png" }) {
        size_t at = message.find(std::string("golden-check") + suffix);
        ASSERT_NE(at, std::string::npos) << suffix << " in " << message;
        size_t start = message.rfind(' ', at) + 1;
        std::string path = message.substr(start, at + std::strlen("golden-check") + std::strlen(suffix) - start);
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
    }
}

TEST(ImageCompare, RecordModeWritesTheGoldenAndPasses)
{
    ComparingOnly comparing;
    std::string golden = scratch("recorded.png");
    std::filesystem::remove(golden);
    Painter painter(3, 3, 1);
    painter.fillRect({ 0, 0, 3, 3 }, { 0, 1, 0, 1 });
    setenv("ZENTROVA_RECORD_GOLDENS", "1", 1);
    EXPECT_TRUE(test::matchesGoldenAt(painter.surface(), golden, "recorded", 0, 2));
    unsetenv("ZENTROVA_RECORD_GOLDENS");
    auto diff = test::compareImages(painter.surface(), golden, 0);
    ASSERT_TRUE(diff);
    EXPECT_EQ(diff->differingPixels, 0u);
}

TEST(ImageCompare, MissingGoldenSaysHowToRecordIt)
{
    ComparingOnly comparing;
    Painter painter(2, 2, 1);
    auto result = test::matchesGolden(painter, "no-such-golden");
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("make goldens"), std::string::npos) << result.message();
}
