#include "screens/RootViewController.h"

#include "platform/foundation/NSClassRegistry.h"
#include "platform/system/System.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "power/PowerPolicy.h"
#include "prefs/Preferences.h"
#include "prefs/Theme.h"
#include "screens/ScreenHeightClass.h"

#include <optional>

ZENTROVA_REGISTER_CLASS(RootViewController)

namespace {

constexpr CGFloat kBarHeight = 64;
constexpr CGFloat kButtonInset = 10;
constexpr CGFloat kButtonHeight = 30;
constexpr CGFloat kButtonFontSize = 20;

// The power buttons in tag order: the field each is kept in, its handler and the title colour it
// gets, where it gets one.
struct PowerButtonSlot {
    UIButton* RootViewController::*field;
    void (RootViewController::*handler)();
    std::optional<UIColor> titleColor;
};

const std::array<PowerButtonSlot, 6>& powerButtonSlots()
{
    static const std::array<PowerButtonSlot, 6> slots { {
        { &RootViewController::rebootButton, &RootViewController::rebootButtonPressed, UIColor::redColor() },
        { &RootViewController::shutdownButton, &RootViewController::shutdownButtonPressed, UIColor::redColor() },
        { &RootViewController::respringButton, &RootViewController::respringButtonPressed, std::nullopt },
        { &RootViewController::safemodeButton, &RootViewController::safemodeButtonPressed, std::nullopt },
        { &RootViewController::noSubstrateButton, &RootViewController::noSubstrateButtonPressed, std::nullopt },
        { &RootViewController::minispringButton, &RootViewController::minispringButtonPressed, UIColor::greenColor() },
    } };
    return slots;
}

CGRect powerButtonFrame(CGFloat width, size_t row, const ButtonRows& rows)
{
    return CGRectMake(kButtonInset, rows[row], width - 2 * kButtonInset, kButtonHeight);
}

} // namespace

UIBarPosition RootViewController::positionForBar(UINavigationBar&)
{
    return UIBarPositionTopAttached;
}

void RootViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    navBar = UINavigationBar::create();
    navBar->setAccessibilityIdentifier("navBar");
    root.addConstraint(NSLayoutConstraint::constraintWithItem(navBar.get(), NSLayoutAttributeHeight,
        NSLayoutRelationEqual, nullptr, NSLayoutAttributeHeight, 1.0, kBarHeight));
    navBar->setFrame(CGRectMake(0, -20, root.frame().size.width, kBarHeight));

    applyTheme(Theme::stored(), *navBar, root);

    navBar->setTranslucent(true);
    auto item = UINavigationItem::initWithTitle("Zentrova");
    navItem = item.get();
    item->setLeftBarButtonItem(UIBarButtonItem::initWithTitle("Changelog", UIBarButtonItemStylePlain, this,
        &RootViewController::leftButtonPressed));
    item->setRightBarButtonItem(UIBarButtonItem::initWithTitle("Settings", UIBarButtonItemStylePlain, this,
        &RootViewController::rightButtonPressed));
    navBar->setItems({ item });
    root.addSubview(navBar);

    auto actions = powerActions();
    for (size_t row = 0; row < actions.size(); ++row) {
        auto& slot = powerButtonSlots()[row];
        auto& action = actions[row];
        auto button = UIButton::buttonWithType(UIButtonTypeSystem);
        this->*slot.field = button.get();
        button->setAccessibilityIdentifier(NSString(action.buttonField));
        if (slot.titleColor)
            button->setTitleColor(*slot.titleColor, UIControlStateNormal);
        button->setTitle(NSString(action.title), UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(kButtonFontSize));
        // The height class is asked anew for every button.
        button->setFrame(powerButtonFrame(root.frame().size.width, row, buttonRowsWhenBuilt(currentScreenHeightClass())));
        root.addSubview(button);
        button->addTarget(this, slot.handler, UIControlEventTouchUpInside);
    }
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

void RootViewController::colorMe()
{
    applyTheme(Theme::stored(), *navBar, *view());
}

void RootViewController::leftButtonPressed()
{
}

void RootViewController::rightButtonPressed()
{
}
