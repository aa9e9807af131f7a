#include "screens/ChangelogViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/render/Painter.h"
#include "platform/uikit/UIScreen.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

// The main build's changelog shows its seven version headings in bold system blue.
namespace {

std::shared_ptr<ChangelogViewController> openChangelog(AppHarness& app)
{
    app.tap("\"Changelog\"");
    auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
    return screen ? screen->retainSelf<ChangelogViewController>() : nullptr;
}

TEST(ChangelogEmphasisMain, TheSevenHeadingsAreBoldBlueAndNothingElse)
{
    AppHarness app;
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    NSString text = screen->changes->text();
    std::vector<NSRange> emphasised;
    for (auto& run : screen->changes->attributeRuns()) {
        if (run.font == UIFont::boldSystemFontOfSize(16)) {
            EXPECT_EQ(run.color, kSystemTintColor);
            emphasised.push_back(run.range);
        }
    }
    ASSERT_EQ(emphasised.size(), 7u);
    std::vector<NSString> headings;
    for (auto range : emphasised)
        headings.push_back(text.substringWithRange(range));
    std::sort(headings.begin(), headings.end(), [](auto& a, auto& b) { return a.utf8() > b.utf8(); });
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(headings[i], NSString(ChangelogViewController::kHeadings[i]));
}

TEST(ChangelogEmphasisMain, HeadingsTwiceOrInOtherCaseOrUnlisted)
{
    AppHarness app({ .preferences = {},
        .changelog = "\xF0\x9F\x9A\x80 Version 3.0: first\nversion 2.1: lower case\nVersion 3.0: again\n"
                     "Version 4.0: not listed\n" });
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    std::vector<NSRange> emphasised;
    for (auto& run : screen->changes->attributeRuns()) {
        if (run.font == UIFont::boldSystemFontOfSize(16))
            emphasised.push_back(run.range);
    }
    // Only the first "Version 3.0:", after the two units of the rocket and a blank.
    ASSERT_EQ(emphasised.size(), 1u);
    EXPECT_EQ(emphasised[0], (NSRange { 3, 12 }));
}

// In a 1 MiB file, whose letters outside ASCII and emoji set UTF-16 units and bytes apart, the
// headings are emphasised at their units wherever they lie, and the last one, the file's last
// line, is drawn blue when the text is scrolled to its end.
TEST(ChangelogEmphasisMain, HeadingsOfAOneMebibyteFileAtTheirUTF16Ranges)
{
    const std::string paragraph = "- Gr\xC3\xB6\xC3\x9F" "ere Schrift f\xC3\xBCr \xC3\x9C"
                                  "berschriften \xF0\x9F\x9A\x80 and enough words to wrap the line once or twice.\n";
    std::string file;
    std::vector<NSRange> expected;
    for (size_t i = 0; i < 7; ++i) {
        while (file.size() < (i + 1) * (1u << 20) / 7)
            file += paragraph;
        NSString heading(ChangelogViewController::kHeadings[i]);
        expected.push_back({ NSString(file).length(), heading.length() });
        file += ChangelogViewController::kHeadings[i];
        file += "\n";
    }
    AppHarness app({ .preferences = {}, .changelog = file });
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    std::vector<NSRange> emphasised;
    for (auto& run : screen->changes->attributeRuns()) {
        if (run.font == UIFont::boldSystemFontOfSize(16)) {
            EXPECT_EQ(run.color, kSystemTintColor);
            emphasised.push_back(run.range);
        }
    }
    EXPECT_EQ(emphasised, expected);

    screen->changes->scrollBy(1e9);
    CGSize size = UIScreen::mainScreen().bounds().size;
    render::Painter painter(size.width, size.height, 1);
    app.application().renderFrame(painter);
    int blue = 0;
    for (int y = int(size.height) / 2; y < painter.pixelHeight(); ++y) {
        for (int x = 0; x < painter.pixelWidth(); ++x) {
            auto p = test::pixelAt(painter, x, y);
            blue += p.b > 200 && p.r < 60 && p.g > 80 && p.g < 160 ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20) << "the last heading is not drawn blue at the end";
}

} // namespace
