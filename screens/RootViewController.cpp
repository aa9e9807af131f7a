#include "screens/RootViewController.h"

#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/system/System.h"
#include "platform/uikit/UIScreen.h"
#include "power/PowerPolicy.h"
#include "prefs/Preferences.h"
#include "screens/ChangelogViewController.h"
#include "screens/ScreenHeightClass.h"
#include "screens/ScreenTheme.h"
#include "screens/SettingsViewController.h"

#include <cassert>

ZENTROVA_REGISTER_CLASS(RootViewController)

namespace {

constexpr CGFloat kButtonInset = 10;
constexpr CGFloat kButtonHeight = 30;
constexpr CGFloat kButtonFontSize = 20;

#define ZENTROVA_ROOT_HANDLER(name) &RootViewController::name, #name

} // namespace

const std::array<RootViewController::PowerButton, 6>& RootViewController::powerButtons()
{
    constexpr std::optional<UIColor> middle = kScreenProfile.rootMiddleButtonTitleColor;
    static const std::array<PowerButton, 6> rows { {
        { 1, ZENTROVA_OUTLET(RootViewController, rebootButton), ZENTROVA_ROOT_HANDLER(rebootButtonPressed),
            UIColor::redColor() },
        { 2, ZENTROVA_OUTLET(RootViewController, shutdownButton), ZENTROVA_ROOT_HANDLER(shutdownButtonPressed),
            UIColor::redColor() },
        { 3, ZENTROVA_OUTLET(RootViewController, respringButton), ZENTROVA_ROOT_HANDLER(respringButtonPressed), middle },
        { 4, ZENTROVA_OUTLET(RootViewController, safemodeButton), ZENTROVA_ROOT_HANDLER(safemodeButtonPressed), middle },
        { 5, ZENTROVA_OUTLET(RootViewController, noSubstrateButton), ZENTROVA_ROOT_HANDLER(noSubstrateButtonPressed),
            middle },
        { 6, ZENTROVA_OUTLET(RootViewController, minispringButton), ZENTROVA_ROOT_HANDLER(minispringButtonPressed),
            UIColor::greenColor() },
    } };
    return rows;
}

void RootViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(RootViewController, navBar), UINavigationBar::create());
    pinBarHeight(root, bar);
    bar.setFrame(CGRectMake(0, kScreenProfile.rootBarY, root.frame().size.width, kScreenProfile.barHeight));

    applyTheme(Theme::stored(), bar, root);

    bar.setTranslucent(true);
    auto item = UINavigationItem::initWithTitle("Zentrova");
    navItem = item.get();
    addNavigationButtons(*item);
    bar.setItems({ item });
    root.addSubview(navBar);

    for (auto& row : powerButtons())
        addPowerButton(row);
}

void RootViewController::addPowerButton(const PowerButton& row)
{
    const PowerAction* action = powerActionWithTag(row.tag);
    // The screen's table and the catalogue name the same field and handler for a tag.
    assert(action && action->buttonField == row.field.name && action->pressHandler == row.handlerName);
    UIView& root = *view();
    auto created = UIButton::buttonWithType(kScreenProfile.rootButtonType);
    UIButton& button = keepInField(*this, row.field, *created);
    if (row.titleColor)
        button.setTitleColor(*row.titleColor, UIControlStateNormal);
    button.setTitle(NSString(action->title), UIControlStateNormal);
    button.titleLabel()->setFont(UIFont::systemFontOfSize(kButtonFontSize));
    // The height class is asked anew for every button.
    const ButtonRows& rows = buttonRowsWhenBuilt(currentScreenHeightClass());
    button.setFrame(powerButtonFrame(root.frame().size.width, rows[size_t(row.tag - 1)]));
    root.addSubview(created);
    button.addTarget(this, row.handler, UIControlEventTouchUpInside);
}

void RootViewController::addNavigationButtons(UINavigationItem& item)
{
    item.setLeftBarButtonItem(UIBarButtonItem::initWithTitle("Changelog", UIBarButtonItemStylePlain, this,
        &RootViewController::leftButtonPressed));
    item.setRightBarButtonItem(UIBarButtonItem::initWithTitle("Settings", UIBarButtonItemStylePlain, this,
        &RootViewController::rightButtonPressed));
}

void RootViewController::colorMe()
{
    applyTheme(Theme::stored(), *navBar, *view());
}

void RootViewController::leftButtonPressed()
{
    presentScreen(ChangelogViewController::create());
}

void RootViewController::rightButtonPressed()
{
    // Every press registers again and nothing removes a registration: after n visits a change of
    // the store recolours this screen n times, each time to the same colours.
    NSNotificationCenter::defaultCenter().addObserver(this, NSSELECTOR(RootViewController, colorMe),
        NSUserDefaultsDidChangeNotification, nullptr);
    presentScreen(SettingsViewController::create());
}

CGRect RootViewController::powerButtonFrame(CGFloat rootWidth, CGFloat y)
{
    return CGRectMake(kButtonInset, y, rootWidth - 2 * kButtonInset, kButtonHeight);
}

void RootViewController::pressPowerButton(NSInteger tag)
{
    auto* action = powerActionWithTag(tag);
    if (!action)
        return;
    auto request = pressPowerAction(*action, readPreference(kAlertSwitchKey), System::current());
    if (!request)
        return;
    auto alert = UIAlertView::initWithTitle(NSString(request->title), NSString(request->message), this,
        NSString(request->cancelButtonTitle), { NSString(request->otherButtonTitle) });
    alert->setTag(request->tag);
    alert->show();
    // The screen keeps no reference to the alert; the application holds it while it is shown.
}

void RootViewController::rebootButtonPressed()
{
    pressPowerButton(1);
}

void RootViewController::shutdownButtonPressed()
{
    pressPowerButton(2);
}

void RootViewController::respringButtonPressed()
{
    pressPowerButton(3);
}

void RootViewController::safemodeButtonPressed()
{
    pressPowerButton(4);
}

void RootViewController::noSubstrateButtonPressed()
{
    pressPowerButton(5);
}

void RootViewController::minispringButtonPressed()
{
    pressPowerButton(6);
}

void RootViewController::alertView(UIAlertView& alertView, NSInteger clickedButtonAtIndex)
{
    answerPowerConfirmation([&alertView] { return alertView.tag(); }, clickedButtonAtIndex, System::current());
}
