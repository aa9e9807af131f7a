#pragma once

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UIViewController.h"
#include "prefs/Theme.h"
#include "screens/ScreenProfile.h"

#include <memory>
#include <string>

// The two preferences as switches, "Light Theme" and "Alerts", each storing its value the moment
// it changes, and a donation button that asks in an alert before it opens the donation page. The
// bar's title is the app's name. It is the delegate of the one alert it shows.
class SettingsViewController final : public UIViewController,
                                     public UINavigationBarDelegate,
                                     public ScreenBarPositioning,
                                     public UIAlertViewDelegate {
public:
    ZENTROVA_CLASS_NAME(SettingsViewController)

    static std::shared_ptr<SettingsViewController> create()
    {
        return std::shared_ptr<SettingsViewController>(new SettingsViewController);
    }

    void loadView() override;
    void lightSwitchSwitched();
    void alertSwitchSwitched();
    void donateButtonPressed();
    void alertView(UIAlertView& alertView, NSInteger clickedButtonAtIndex) override;
    void leftBackButtonPressed();

    std::shared_ptr<UINavigationBar> navBar;
    UINavigationItem* navItem = nullptr;
    UISwitch* lightSwitch = nullptr;
    UILabel* lightsLabel = nullptr;
    UISwitch* alertSwitch = nullptr;
    UILabel* textLabel1 = nullptr;

    // The page "Donate" opens: the payment service's donation form for this app's account. The
    // host and the account's button identifier are set when building.
    static std::string donationURL();

private:
    SettingsViewController() = default;

    // The root view, the switches from the store, the labels, the donation button with its
    // picture. The "Light Theme" label is made but not yet added.
    std::shared_ptr<UILabel> buildControls();
    void applySettingsTheme(const Theme& theme);
};
