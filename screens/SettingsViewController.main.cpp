#include "screens/SettingsViewController.h"

#include "platform/uikit/NSLayoutConstraint.h"
#include "prefs/Preferences.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

namespace {

void applySettingsTheme(SettingsViewController& screen, const Theme& theme)
{
    applyTheme(theme, *screen.navBar, *screen.view(), [&screen](const Theme& theme) {
        screen.lightsLabel->setTextColor(theme.foreground());
        screen.textLabel1->setTextColor(theme.foreground());
    });
}

} // namespace

void SettingsViewController::loadView()
{
    auto lightLabel = buildControls();
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, navBar), UINavigationBar::create());
    root.addConstraint(NSLayoutConstraint::constraintWithItem(&bar, NSLayoutAttributeHeight, NSLayoutRelationEqual,
        nullptr, NSLayoutAttributeHeight, 1.0, kScreenProfile.barHeight));
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));

    // The switch has just been set from the store; the screen takes its theme from the switch.
    applySettingsTheme(*this, Theme::fromLightSwitch(lightSwitch->isOn()));

    root.addSubview(lightLabel);
    bar.setTranslucent(true);
    navItem = giveBarItsBackItem(bar, "Zentrova", this);
    root.addSubview(navBar);
}

void SettingsViewController::lightSwitchSwitched()
{
    bool isOn = lightSwitch->isOn();
    applySettingsTheme(*this, Theme::fromLightSwitch(isOn));
    writePreference(isOn, kLightSwitchKey);
}
