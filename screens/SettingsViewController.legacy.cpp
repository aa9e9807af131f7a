#include "screens/SettingsViewController.h"

#include "prefs/Preferences.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

namespace {

// The legacy theme reaches the background and the two labels only; the bar stays black.
void applySettingsBackgroundAndLabels(SettingsViewController& screen, const Theme& theme)
{
    screen.view()->setBackgroundColor(theme.background());
    screen.lightsLabel->setTextColor(theme.foreground());
    screen.textLabel1->setTextColor(theme.foreground());
}

} // namespace

void SettingsViewController::loadView()
{
    auto lightLabel = buildControls();
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(SettingsViewController, navBar), UINavigationBar::create());
    styleBarBlack(bar);
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));
    applyFixedStatusBarStyle();
    applySettingsBackgroundAndLabels(*this, Theme::fromLightSwitch(lightSwitch->isOn()));

    root.addSubview(lightLabel);
    bar.setTranslucent(true);
    navItem = giveBarItsBackItem(bar, "Zentrova", this);
    root.addSubview(navBar);
}

void SettingsViewController::lightSwitchSwitched()
{
    // The status bar is set before the switch is read, the same in both themes.
    applyFixedStatusBarStyle();
    bool isOn = lightSwitch->isOn();
    applySettingsBackgroundAndLabels(*this, Theme::fromLightSwitch(isOn));
    writePreference(isOn, kLightSwitchKey);
}
