#include "screens/SettingsViewController.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScreen.h"
#include "prefs/Preferences.h"
#include "screens/RootViewController.h"
#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

// The settings screen in both builds, opened from the root screen's "Settings" button.
namespace {

SettingsViewController* openSettings(AppHarness& app)
{
    app.tap("\"Settings\"");
    auto* screen = dynamic_cast<SettingsViewController*>(app.root().presentedViewController());
    EXPECT_TRUE(screen) << "no settings screen was presented";
    return screen;
}

UIButton* donateButton(SettingsViewController& screen)
{
    for (auto& view : screen.view()->subviews()) {
        if (view->accessibilityIdentifier() == NSString("donateButton"))
            return dynamic_cast<UIButton*>(view.get());
    }
    return nullptr;
}

TEST(SettingsViewController, ViewTreeInStackingOrderWithItsTexts)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    auto& subviews = screen->view()->subviews();
    ASSERT_EQ(subviews.size(), 6u);
    EXPECT_EQ(subviews[0].get(), screen->lightSwitch);
    EXPECT_EQ(subviews[1].get(), screen->alertSwitch);
    EXPECT_EQ(subviews[2].get(), screen->textLabel1);
    EXPECT_EQ(subviews[3].get(), donateButton(*screen));
    EXPECT_EQ(subviews[4].get(), screen->lightsLabel);
    EXPECT_EQ(subviews[5].get(), screen->navBar.get());

    EXPECT_EQ(screen->navItem->title(), NSString("Zentrova"));
    EXPECT_EQ(screen->navItem->leftBarButtonItem()->title(), NSString("Back"));
    EXPECT_FALSE(screen->navItem->rightBarButtonItem());
    EXPECT_TRUE(screen->navBar->isTranslucent());
    EXPECT_EQ(screen->lightsLabel->text(), NSString("Light Theme"));
    EXPECT_EQ(screen->textLabel1->text(), NSString("Alerts"));
    // "Light Theme" keeps the label's default font; only "Alerts" is given Helvetica 16.
    EXPECT_EQ(screen->lightsLabel->font(), UIFont::systemFontOfSize(17));
    EXPECT_EQ(screen->textLabel1->font(), UIFont::fontWithName("Helvetica", 16));
    for (UILabel* label : { screen->lightsLabel, screen->textLabel1 }) {
        EXPECT_EQ(label->backgroundColor(), UIColor::clearColor());
        EXPECT_EQ(label->textAlignment(), NSTextAlignmentLeft);
    }
    UIButton* donate = donateButton(*screen);
    ASSERT_TRUE(donate);
    EXPECT_EQ(donate->buttonType(), UIButtonTypeCustom);
    EXPECT_FALSE(donate->titleForState(UIControlStateNormal));
    ASSERT_TRUE(donate->imageForState(UIControlStateNormal));
    EXPECT_EQ(donate->imageForState(UIControlStateNormal)->size(), CGSizeMake(147, 47));
}

TEST(SettingsViewController, FreshInstallBothOffAndDark)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    EXPECT_FALSE(screen->lightSwitch->isOn());
    EXPECT_FALSE(screen->alertSwitch->isOn());
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::blackColor());
    EXPECT_EQ(screen->lightsLabel->textColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->textLabel1->textColor(), UIColor::whiteColor());
}

TEST(SettingsViewController, SwitchesMirrorTheStoreWhenBuilt)
{
    AppHarness app({ .preferences = { { "lightSwitch", true }, { "alertSwitch.enabled", true } } });
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->lightSwitch->isOn());
    EXPECT_TRUE(screen->alertSwitch->isOn());
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(screen->lightsLabel->textColor(), UIColor::blackColor());
}

// Another process (another run of the app, an editor) writes the file: the next read sees it, the
// settings screen mirrors it the next time it is built, and an open screen keeps what it showed.
TEST(SettingsViewController, AnotherWritersChangeIsReadWhenTheScreenIsNextBuilt)
{
    AppHarness app;
    ASSERT_TRUE(openSettings(app));
    app.tap("\"Back\"");

    auto elsewhere = NSUserDefaults::create(NSUserDefaults::standardPreferencesPath());
    elsewhere->setBool(true, kLightSwitchKey);
    elsewhere->setBool(true, kAlertSwitchKey);
    ASSERT_TRUE(elsewhere->synchronize());
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->lightSwitch->isOn());
    EXPECT_TRUE(screen->alertSwitch->isOn());

    elsewhere->setBool(false, kAlertSwitchKey);
    ASSERT_TRUE(elsewhere->synchronize());
    EXPECT_TRUE(screen->alertSwitch->isOn());
    // A flip here writes this screen's value together with the other writer's keys.
    app.tap("#lightSwitch");
    app.relaunch();
    EXPECT_FALSE(readPreference(kLightSwitchKey));
    EXPECT_FALSE(readPreference(kAlertSwitchKey));
}

// Each switch stores its value the moment it flips, and the value is there after a restart.
TEST(SettingsViewController, EachSwitchStoresAtOnceAndSurvivesARestart)
{
    AppHarness app;
    openSettings(app);
    app.tap("#alertSwitch");
    auto* screen = dynamic_cast<SettingsViewController*>(app.root().presentedViewController());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->alertSwitch->isOn());
    // Alerts change no colour.
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::blackColor());
    app.tap("#lightSwitch");
    EXPECT_EQ(screen->view()->backgroundColor(), UIColor::whiteColor());

    app.relaunch();
    EXPECT_TRUE(readPreference(kLightSwitchKey));
    EXPECT_TRUE(readPreference(kAlertSwitchKey));
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::whiteColor());
    auto* reopened = openSettings(app);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->lightSwitch->isOn());
    EXPECT_TRUE(reopened->alertSwitch->isOn());

    // Off again is a stored NO, read the same as never written.
    app.tap("#lightSwitch");
    app.relaunch();
    EXPECT_FALSE(readPreference(kLightSwitchKey));
    EXPECT_EQ(app.root().view()->backgroundColor(), UIColor::blackColor());
}

TEST(SettingsViewController, DonationAlertAndItsAnswers)
{
    AppHarness app;
    openSettings(app);
    app.tap("#donateButton");
    auto alerts = app.tree()["alerts"];
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]["title"], "Donate via PayPal");
    EXPECT_EQ(alerts[0]["message"],
        "If you enjoy this app and look forward to added features, device support, and more cool apps, please donate!");
    EXPECT_EQ(alerts[0]["buttons"], nlohmann::json::array({ "Cancel", "Donate" }));
    EXPECT_EQ(alerts[0]["cancelButtonIndex"], 0);
    EXPECT_EQ(alerts[0]["tag"], 0);
    app.tap("\"Cancel\"");
    EXPECT_TRUE(app.system().calls().empty());

    app.tap("#donateButton");
    app.tap("\"Donate\"");
    ASSERT_EQ(app.system().calls().size(), 1u);
    EXPECT_EQ(app.system().calls()[0], "openURL(\"" + SettingsViewController::donationURL() + "\")");
    // The screen stays open.
    EXPECT_TRUE(dynamic_cast<SettingsViewController*>(app.root().presentedViewController()));
}

TEST(SettingsViewController, DonationURLIsBuiltFromTheConfiguredHostAndButton)
{
    EXPECT_EQ(SettingsViewController::donationURL(), std::string("https://") + ZENTROVA_DONATION_HOST
            + "/cgi-bin/websrc?cmd=_s-xclick&hosted_button_id=" + ZENTROVA_DONATION_BUTTON_ID);
    EXPECT_EQ(std::string(ZENTROVA_DONATION_HOST), "www.paypal.com");
}

TEST(SettingsViewController, BackClosesTheScreen)
{
    AppHarness app;
    auto* screen = openSettings(app);
    ASSERT_TRUE(screen);
    std::weak_ptr<UIViewController> alive = screen->weakSelf<UIViewController>();
    app.tap("\"Back\"");
    EXPECT_EQ(app.root().presentedViewController(), nullptr);
    EXPECT_TRUE(alive.expired());
}

} // namespace
