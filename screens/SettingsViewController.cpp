#include "screens/SettingsViewController.h"

#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreen.h"
#include "prefs/Preferences.h"
#include "resources/DonateButtonImage.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenClosing.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

ZENTROVA_REGISTER_CLASS(SettingsViewController)

namespace {

constexpr CGFloat kLabelX = 15;
constexpr CGFloat kLabelWidth = 110;
constexpr CGFloat kLightRowY = 120;
constexpr CGFloat kAlertRowY = 180;
constexpr CGFloat kDonateWidth = 147;
constexpr CGFloat kDonateHeight = 47;

} // namespace

std::string SettingsViewController::donationURL()
{
    return std::string("https://") + ZENTROVA_DONATION_HOST + "/cgi-bin/websrc?cmd=_s-xclick&hosted_button_id="
        + ZENTROVA_DONATION_BUTTON_ID;
}

void SettingsViewController::loadView()
{
    auto lightLabel = buildControls();
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, navBar), UINavigationBar::create());
    pinBarHeight(root, bar);
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));

    // The switch has just been set from the store; the screen takes its theme from the switch.
    applySettingsTheme(Theme::fromLightSwitch(lightSwitch->isOn()));

    root.addSubview(lightLabel);
    bar.setTranslucent(true);
    navItem = giveBarItsBackItem(bar, "Zentrova", this);
    root.addSubview(navBar);
}

void SettingsViewController::applySettingsTheme(const Theme& theme)
{
    applyTheme(theme, *navBar, *view(), [this](const Theme& theme) {
        lightsLabel->setTextColor(theme.foreground());
        textLabel1->setTextColor(theme.foreground());
    });
}

std::shared_ptr<UILabel> SettingsViewController::buildControls()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();
    CGFloat width = root.frame().size.width;
    CGFloat switchX = width - kScreenProfile.switchInset;

    auto light = UISwitch::create(CGRectMake(switchX, kLightRowY, 0, 0));
    keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, lightSwitch), *light);
    light->addTarget(this, &SettingsViewController::lightSwitchSwitched, UIControlEventValueChanged);
    root.addSubview(light);
    light->setOn(readPreference(kLightSwitchKey));

    auto lightLabel = UILabel::create(CGRectMake(kLabelX, kLightRowY, kLabelWidth, lightSwitch->frame().size.height));
    keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, lightsLabel), *lightLabel);
    lightLabel->setText("Light Theme");
    lightLabel->setBackgroundColor(UIColor::clearColor());
    lightLabel->setTextAlignment(NSTextAlignmentLeft);

    auto alerts = UISwitch::create(CGRectMake(switchX, kAlertRowY, 0, 0));
    keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, alertSwitch), *alerts);
    alerts->addTarget(this, &SettingsViewController::alertSwitchSwitched, UIControlEventValueChanged);
    root.addSubview(alerts);
    alerts->setOn(readPreference(kAlertSwitchKey));

    auto alertLabel = UILabel::create(CGRectMake(kLabelX, kAlertRowY, kLabelWidth, alertSwitch->frame().size.height));
    keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, textLabel1), *alertLabel);
    alertLabel->setFont(UIFont::fontWithName("Helvetica", 16));
    alertLabel->setBackgroundColor(UIColor::clearColor());
    alertLabel->setText("Alerts");
    alertLabel->setTextAlignment(NSTextAlignmentLeft);
    root.addSubview(alertLabel);

    // The picture is decoded afresh from the program's own data URL; a picture that does not
    // decode leaves an empty button that still takes touches.
    auto donate = UIButton::buttonWithType(UIButtonTypeCustom);
    donate->setAccessibilityIdentifier("donateButton");
    if (auto url = NSURL::URLWithString(kDonateButtonImageURL)) {
        if (auto data = NSData::dataWithContentsOfURL(*url))
            donate->setImage(UIImage::imageWithData(*data), UIControlStateNormal);
    }
    donate->setFrame(CGRectMake(width / 2 - 73, root.frame().size.height - 200, kDonateWidth, kDonateHeight));
    donate->addTarget(this, &SettingsViewController::donateButtonPressed, UIControlEventTouchUpInside);
    root.addSubview(donate);
    return lightLabel;
}

void SettingsViewController::lightSwitchSwitched()
{
    bool isOn = lightSwitch->isOn();
    applySettingsTheme(Theme::fromLightSwitch(isOn));
    writePreference(isOn, kLightSwitchKey);
}

void SettingsViewController::alertSwitchSwitched()
{
    writePreference(alertSwitch->isOn(), kAlertSwitchKey);
}

void SettingsViewController::donateButtonPressed()
{
    auto alert = UIAlertView::initWithTitle("Donate via PayPal",
        "If you enjoy this app and look forward to added features, device support, and more cool apps, please donate!",
        this, NSString("Cancel"), { NSString("Donate") });
    alert->show();
    // The application holds the alert while it is shown; the screen keeps no reference.
}

void SettingsViewController::alertView(UIAlertView&, NSInteger clickedButtonAtIndex)
{
    if (clickedButtonAtIndex != 1)
        return;
    if (auto url = NSURL::URLWithString(NSString(donationURL())))
        UIApplication::sharedApplication()->openURL(*url);
}

void SettingsViewController::leftBackButtonPressed()
{
    closeScreen(*this);
}
