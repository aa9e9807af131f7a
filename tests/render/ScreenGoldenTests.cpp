#include "app/Zentrova3Application.h"
#include "platform/render/Painter.h"
#include "prefs/Preferences.h"
#include "tests/support/AppHarness.h"
#include "tests/support/GoldenTree.h"
#include "tests/support/ImageCompare.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Text is the only thing drawn with anti-aliasing that can shift by a level between font library
// builds; a few dozen such pixels are allowed, a moved or recoloured element is not.
constexpr size_t kPixelBudget = 120;

// One frame of the app as the host draws it: the whole screen at the device's scale.
void expectFrameMatchesGolden(AppHarness& app, const std::string& name)
{
    const DeviceProfile& device = app.device();
    render::Painter painter(device.width, device.height, device.scale);
    app.application().renderFrame(painter);
    test::expectMatchesGolden(painter, test::profileGoldenName(name), kPixelBudget);
}

void expectRootScreenMatchesGolden(const std::string& device, bool light)
{
    SCOPED_TRACE(device + (light ? " light" : " dark"));
    AppHarness::Options options;
    options.device = device;
    // A fresh install has no stored preferences and starts dark.
    if (light)
        options.preferences[kLightSwitchKey.utf8()] = true;
    AppHarness app(options);
    expectFrameMatchesGolden(app, "screen-root-" + device + (light ? "-light" : "-dark"));
}

} // namespace

// One launch per test: each test runs in a process of its own under CTest, so every launch starts
// on a fresh virtual clock.
TEST(ScreenGolden, RootScreenIPhone4sDark)
{
    expectRootScreenMatchesGolden("iphone-4s", false);
}

TEST(ScreenGolden, RootScreenIPhone4sLight)
{
    expectRootScreenMatchesGolden("iphone-4s", true);
}

TEST(ScreenGolden, RootScreenIPhone5sDark)
{
    expectRootScreenMatchesGolden("iphone-5s", false);
}

TEST(ScreenGolden, RootScreenIPhone5sLight)
{
    expectRootScreenMatchesGolden("iphone-5s", true);
}

TEST(ScreenGolden, RootScreenIPadDark)
{
    expectRootScreenMatchesGolden("ipad", false);
}

TEST(ScreenGolden, RootScreenIPadLight)
{
    expectRootScreenMatchesGolden("ipad", true);
}

TEST(ScreenGolden, RespringConfirmationAlert)
{
    AppHarness::Options options;
    options.device = "iphone-5s";
    options.preferences[kAlertSwitchKey.utf8()] = true;
    AppHarness app(options);
    app.tap("\"Respring\"");
    Automation::settle();
    ASSERT_EQ(app.application().shownAlerts().size(), 1u);
    // The alert only asks: nothing may have run yet.
    EXPECT_TRUE(app.system().calls().empty());
    expectFrameMatchesGolden(app, "screen-respring-alert-iphone-5s");
}

namespace {

void expectScreenMatchesGolden(const std::string& device, bool light, const char* barButton, const std::string& name)
{
    SCOPED_TRACE(name);
    AppHarness::Options options;
    options.device = device;
    if (light)
        options.preferences[kLightSwitchKey.utf8()] = true;
    AppHarness app(options);
    app.tap(barButton);
    Automation::settle();
    expectFrameMatchesGolden(app, name);
}

} // namespace

TEST(ScreenGolden, ChangelogIPhone5sDark)
{
    expectScreenMatchesGolden("iphone-5s", false, "\"Changelog\"", "screen-changelog-iphone-5s-dark");
}

TEST(ScreenGolden, ChangelogIPhone5sLight)
{
    expectScreenMatchesGolden("iphone-5s", true, "\"Changelog\"", "screen-changelog-iphone-5s-light");
}

TEST(ScreenGolden, ChangelogIPhone4sDark)
{
    expectScreenMatchesGolden("iphone-4s", false, "\"Changelog\"", "screen-changelog-iphone-4s-dark");
}

TEST(ScreenGolden, SettingsIPhone5sDark)
{
    expectScreenMatchesGolden("iphone-5s", false, "\"Settings\"", "screen-settings-iphone-5s-dark");
}

TEST(ScreenGolden, SettingsIPhone5sLight)
{
    expectScreenMatchesGolden("iphone-5s", true, "\"Settings\"", "screen-settings-iphone-5s-light");
}

TEST(ScreenGolden, DonationAlertOverTheSettings)
{
    AppHarness app;
    app.tap("\"Settings\"");
    app.tap("#donateButton");
    Automation::settle();
    ASSERT_EQ(app.application().shownAlerts().size(), 1u);
    expectFrameMatchesGolden(app, "screen-donation-alert-iphone-5s");
}
