#include "screens/ChangelogViewController.h"

#include "app/Zentrova3Application.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The legacy changelog shows its whole text in one face.
namespace {

TEST(ChangelogEmphasisLegacy, NoHeadingStandsOut)
{
    for (bool light : { false, true }) {
        SCOPED_TRACE(light ? "light" : "dark");
        AppHarness app({ .device = "iphone-4s", .preferences = { { "lightSwitch", light } } });
        app.tap("\"Changelog\"");
        auto* screen = dynamic_cast<ChangelogViewController*>(app.root().presentedViewController());
        ASSERT_TRUE(screen);
        // "Version 3.0:" and the rest share one run in the view's own face and colour.
        EXPECT_FALSE(screen->changes->text().isEmpty());
        for (auto& run : screen->changes->attributeRuns()) {
            EXPECT_TRUE(!run.font || run.font == UIFont::fontWithName("Helvetica", 16));
            EXPECT_TRUE(!run.color || run.color == screen->changes->textColor());
        }
    }
}

} // namespace
