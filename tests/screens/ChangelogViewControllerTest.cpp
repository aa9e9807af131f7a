#include "screens/ChangelogViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/uikit/UIScreen.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <fstream>

// The changelog screen in both builds: opened from the root screen's "Changelog" button.
namespace {

ChangelogViewController* openChangelog(AppHarness& app)
{
    app.tap("\"Changelog\"");
    auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
    EXPECT_TRUE(screen) << "no changelog screen was presented";
    return screen;
}

TEST(ChangelogViewController, ShowsTheShippedFileWholeReadOnly)
{
    AppHarness app;
    auto* screen = openChangelog(app);
    ASSERT_TRUE(screen);
    UITextView& text = *screen->changes;
    std::ifstream shipped(app.changelogPath(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.text().utf8(), bytes);
    EXPECT_EQ(text.font(), UIFont::fontWithName("Helvetica", 16));
    EXPECT_EQ(text.textAlignment(), NSTextAlignmentLeft);
    EXPECT_FALSE(text.isEditable());
    EXPECT_TRUE(text.isUserInteractionEnabled());
    EXPECT_TRUE(text.clipsToBounds());

    // Stacking: the text view, then the bar above it; the bar's one item with "Back".
    auto& subviews = screen->view()->subviews();
    ASSERT_EQ(subviews.size(), 2u);
    EXPECT_EQ(subviews[0].get(), screen->changes);
    EXPECT_EQ(subviews[1].get(), screen->navBar.get());
    ASSERT_EQ(screen->navBar->items().size(), 1u);
    EXPECT_EQ(screen->navItem->title(), NSString("Changelog"));
    EXPECT_EQ(screen->navItem->leftBarButtonItem()->title(), NSString("Back"));
    EXPECT_FALSE(screen->navItem->rightBarButtonItem());
    EXPECT_TRUE(screen->navBar->isTranslucent());
    EXPECT_EQ(screen->view()->frame(), UIScreen::mainScreen().applicationFrame());
}

TEST(ChangelogViewController, MissingOrUndecodableFileGivesAnEmptyViewThatStillCloses)
{
    struct Case {
        const char* name;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        { "missing", std::nullopt },
        { "invalid UTF-8", std::string("Version 3.0:\n\xC3\x28 broken\n") },
        { "empty", std::string() },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppHarness app({ .changelog = c.bytes.value_or("") });
        if (!c.bytes)
            app.removeChangelog();
        auto* screen = openChangelog(app);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->changes->text(), NSString(""));
        EXPECT_FALSE(screen->changes->isEditable());
        for (auto& run : screen->changes->attributeRuns())
            EXPECT_NE(run.font, UIFont::boldSystemFontOfSize(16));
        app.tap("\"Back\"");
        EXPECT_EQ(app.root().presentedViewController(), nullptr);
        EXPECT_TRUE(app.tree()["presented"].empty());
    }
}

TEST(ChangelogViewController, TakesTheThemeWhenBuilt)
{
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .preferences = { { "lightSwitch", light } } });
        auto* screen = openChangelog(app);
        ASSERT_TRUE(screen);
        UIColor background = light ? UIColor::whiteColor() : UIColor::blackColor();
        UIColor foreground = light ? UIColor::blackColor() : UIColor::whiteColor();
        EXPECT_EQ(screen->changes->backgroundColor(), background);
        EXPECT_EQ(screen->changes->textColor(), foreground);
        EXPECT_EQ(screen->view()->backgroundColor(), background);
    }
}

// Every press builds a new screen that reads the file again; the one closed before is gone.
TEST(ChangelogViewController, EachOpeningIsANewScreenThatReadsTheFileAgain)
{
    AppHarness app({ .changelog = "first\n" });
    auto* first = openChangelog(app);
    ASSERT_TRUE(first);
    std::weak_ptr<UIViewController> firstAlive = first->weakSelf<UIViewController>();
    EXPECT_EQ(first->changes->text(), NSString("first\n"));
    app.tap("\"Back\"");
    EXPECT_TRUE(firstAlive.expired());

    app.writeChangelog("second\n");
    auto* second = openChangelog(app);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->changes->text(), NSString("second\n"));
}

TEST(ChangelogViewController, ScrollsButDoesNotChange)
{
    std::string longText;
    for (int line = 0; line < 200; ++line)
        longText += "Line " + std::to_string(line) + " of a long change history\n";
    AppHarness app({ .changelog = longText });
    auto* screen = openChangelog(app);
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->changes->scrollBy(300));
    EXPECT_GT(screen->changes->contentOffset().y, 0);
    EXPECT_EQ(screen->changes->text().utf8(), longText);
}

} // namespace
