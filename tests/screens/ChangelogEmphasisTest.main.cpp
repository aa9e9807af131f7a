#include "screens/ChangelogViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/quartzcore/CATransition.h"
#include "platform/render/Painter.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "screens/BoldnColor.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Pixels.h"

#include <gtest/gtest.h>

// The main build's changelog: headings in bold blue, the tall bar with its constraint, a theme on
// the bar and the status bar, and the reveal transition after "Back".
namespace {

const UIColor kBlue = UIColor::colorWithRed(0.0, CGFloat(122.0 / 255.0), 1.0, 1.0);

std::shared_ptr<ChangelogViewController> openChangelog(AppHarness& app)
{
    app.tap("\"Changelog\"");
    auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
    return screen ? screen->retainSelf<ChangelogViewController>() : nullptr;
}

TEST(ChangelogViewControllerMain, FramesForEachDevice)
{
    struct Case {
        const char* device;
        CGFloat width;
        CGFloat height;
    };
    for (auto& c : { Case { "iphone-4s", 320, 460 }, Case { "iphone-5s", 320, 548 }, Case { "ipad", 768, 1004 } }) {
        SCOPED_TRACE(c.device);
        AppHarness app({ .device = c.device });
        auto screen = openChangelog(app);
        ASSERT_TRUE(screen);
        // The text view starts below the bar but is as tall as the view less 44, so its bottom lies
        // 20 points below the view's.
        EXPECT_EQ(screen->changes->frame(), CGRectMake(0, 64, c.width, c.height - 44));
        EXPECT_EQ(screen->navBar->frame(), CGRectMake(0, 0, c.width, 64));
        ASSERT_EQ(screen->view()->constraints().size(), 1u);
        EXPECT_EQ(screen->view()->constraints().front()->firstItem(), screen->navBar.get());
        EXPECT_EQ(screen->view()->constraints().front()->constant(), 64.0);
        EXPECT_EQ(screen->positionForBar(*screen->navBar), UIBarPositionTopAttached);
    }
}

TEST(ChangelogViewControllerMain, TheSevenHeadingsAreBoldBlueAndNothingElse)
{
    AppHarness app;
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->ios7BlueColor, kBlue);
    NSString text = screen->changes->text();
    std::vector<NSRange> emphasised;
    for (auto& run : screen->changes->attributeRuns()) {
        if (run.font == UIFont::boldSystemFontOfSize(16)) {
            EXPECT_EQ(run.color, kBlue);
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

TEST(ChangelogViewControllerMain, HeadingsTwiceOrInOtherCaseOrUnlisted)
{
    AppHarness app({ .changelog = "\xF0\x9F\x9A\x80 Version 3.0: first\nversion 2.1: lower case\nVersion 3.0: again\n"
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
TEST(ChangelogViewControllerMain, HeadingsOfAOneMebibyteFileAtTheirUTF16Ranges)
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
    AppHarness app({ .changelog = file });
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    std::vector<NSRange> emphasised;
    for (auto& run : screen->changes->attributeRuns()) {
        if (run.font == UIFont::boldSystemFontOfSize(16)) {
            EXPECT_EQ(run.color, kBlue);
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

TEST(ChangelogViewControllerMain, ThemeOnTheBarAndTheStatusBar)
{
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        auto screen = openChangelog(app);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->navBar->barTintColor(), light ? UIColor::whiteColor() : UIColor::blackColor());
        auto* title = valueForKey<UIColor>(screen->navBar->titleTextAttributes(), NSForegroundColorAttributeName);
        ASSERT_TRUE(title);
        EXPECT_EQ(*title, light ? UIColor::blackColor() : UIColor::whiteColor());
        EXPECT_EQ(app.application().statusBarStyle(), light ? UIStatusBarStyleDefault : UIStatusBarStyleLightContent);
    }
}

// "Back" dismisses with animation; only when the dismissal has finished does the reveal
// transition go onto the closed screen's own view.
TEST(ChangelogViewControllerMain, BackDismissesThenAddsTheRevealTransition)
{
    AppHarness app;
    auto screen = openChangelog(app);
    ASSERT_TRUE(screen);
    screen->leftBackButtonPressed();
    EXPECT_TRUE(screen->view()->layer().addedAnimations().empty());
    Automation::settle();
    EXPECT_EQ(app.root().presentedViewController(), nullptr);
    auto animations = screen->view()->layer().addedAnimations();
    ASSERT_EQ(animations.size(), 1u);
    EXPECT_EQ(animations[0].key, kCATransition);
    auto* transition = dynamic_cast<const CATransition*>(animations[0].animation.get());
    ASSERT_TRUE(transition);
    EXPECT_EQ(transition->type(), kCATransitionReveal);
    EXPECT_EQ(transition->subtype(), kCATransitionFromLeft);
    EXPECT_EQ(transition->duration(), 0.3);
    // The root screen got none.
    EXPECT_TRUE(app.root().view()->layer().addedAnimations().empty());
}

} // namespace
