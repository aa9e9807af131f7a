#include "screens/RootViewController.h"

#include "app/Zentrova3Application.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The legacy build opens its screens full screen with the modal presentation, and the root
// screen keeps the layout it was built with for good.
namespace {

TEST(RootNavigationLegacy, ScreensOpenFullScreenAndTheRootNeverMoves)
{
    for (const char* device : { "iphone-4s", "iphone-5s", "ipad" }) {
        for (const char* button : { "\"Changelog\"", "\"Settings\"" }) {
            SCOPED_TRACE(std::string(device) + " " + button);
            AppHarness app({ .device = device });
            auto before = app.tree()["keyWindow"];
            app.tap(button);
            auto* presented = app.root().presentedViewController();
            ASSERT_TRUE(presented);
            EXPECT_EQ(presented->modalPresentationStyle(), UIModalPresentationFullScreen);
            app.tap("\"Back\"");
            EXPECT_EQ(app.tree()["keyWindow"], before);
        }
    }
}

} // namespace
