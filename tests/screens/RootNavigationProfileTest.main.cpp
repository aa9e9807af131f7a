#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The main build presents with style 4 over the root screen and moves the root screen's bar and
// buttons to their second frames once a presentation has finished.
namespace {

struct RelayoutCase {
    const char* device;
    CGFloat width;
    std::array<CGFloat, 6> rows;
};

TEST(RootNavigationMain, TheRootTakesItsSecondLayoutAfterEitherScreen)
{
    const RelayoutCase cases[] = {
        { "iphone-4s", 320, { 65, 135, 205, 275, 345, 415 } },
        { "iphone-5s", 320, { 70, 155, 240, 325, 410, 515 } },
        { "ipad", 768, { 80, 240, 400, 560, 720, 880 } },
    };
    for (auto& c : cases) {
        for (const char* button : { "\"Changelog\"", "\"Settings\"" }) {
            SCOPED_TRACE(std::string(c.device) + " " + button);
            AppHarness app({ .device = c.device });
            app.tap(button);
            auto* presented = app.root().presentedViewController();
            ASSERT_TRUE(presented);
            EXPECT_EQ(presented->modalPresentationStyle(), UIModalPresentationCustom);
            app.tap("\"Back\"");
            auto& root = app.root();
            EXPECT_EQ(root.navBar->frame(), CGRectMake(0, 0, c.width, 64));
            for (auto& row : RootViewController::powerButtons())
                EXPECT_EQ((root.*row.field.field)->frame(),
                    CGRectMake(10, c.rows[size_t(row.tag - 1)], c.width - 20, 30))
                    << row.field.name;
        }
    }
}

TEST(RootNavigationMain, TheRelayoutWaitsForThePresentationToFinish)
{
    AppHarness app;
    app.root().leftButtonPressed();
    // Still sliding in: the root screen keeps its first layout.
    EXPECT_EQ(app.root().navBar->frame(), CGRectMake(0, -20, 320, 64));
    Automation::settle();
    EXPECT_EQ(app.root().navBar->frame(), CGRectMake(0, 0, 320, 64));
    EXPECT_EQ(app.root().minispringButton->frame(), CGRectMake(10, 515, 300, 30));
}

} // namespace
