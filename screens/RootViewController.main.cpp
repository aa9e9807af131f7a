#include "screens/RootViewController.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "screens/ChangelogViewController.h"
#include "screens/ScreenHeightClass.h"
#include "screens/ScreenTheme.h"
#include "screens/SettingsViewController.h"

namespace {

std::optional<UIColor> mainTitleColor(RootViewController::TitleColor color)
{
    switch (color) {
    case RootViewController::TitleColor::Red:
        return UIColor::redColor();
    case RootViewController::TitleColor::Green:
        return UIColor::greenColor();
    default:
        return std::nullopt;
    }
}

} // namespace

void RootViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(RootViewController, navBar), UINavigationBar::create());
    root.addConstraint(NSLayoutConstraint::constraintWithItem(&bar, NSLayoutAttributeHeight, NSLayoutRelationEqual,
        nullptr, NSLayoutAttributeHeight, 1.0, kScreenProfile.barHeight));
    bar.setFrame(CGRectMake(0, kScreenProfile.rootBarY, root.frame().size.width, kScreenProfile.barHeight));

    applyTheme(Theme::stored(), bar, root);

    bar.setTranslucent(true);
    auto item = UINavigationItem::initWithTitle("Zentrova");
    navItem = item.get();
    addNavigationButtons(*item);
    bar.setItems({ item });
    root.addSubview(navBar);

    for (auto& row : powerButtons())
        addPowerButton(row, mainTitleColor(row.mainTitleColor));
}

void RootViewController::colorMe()
{
    applyTheme(Theme::stored(), *navBar, *view());
}

void RootViewController::leftButtonPressed()
{
    auto changelog = ChangelogViewController::create();
    changelog->setModalPresentationStyle(UIModalPresentationCustom);
    presentViewController(changelog, true, relayoutWhenPresented());
}

void RootViewController::rightButtonPressed()
{
    // Every press registers again and nothing removes a registration: after n visits a change of
    // the store recolours this screen n times, each time to the same colours.
    NSNotificationCenter::defaultCenter().addObserver(this, NSSELECTOR(RootViewController, colorMe),
        NSUserDefaultsDidChangeNotification, nullptr);
    auto settings = SettingsViewController::create();
    settings->setModalPresentationStyle(UIModalPresentationCustom);
    presentViewController(settings, true, relayoutWhenPresented());
}

// Once a screen has been presented over it, the root screen moves its bar down to the top of its
// view and its buttons to the second table; the completion keeps the screen alive until it runs.
std::function<void()> RootViewController::relayoutWhenPresented()
{
    return [self = retainSelf<RootViewController>()] {
        UIView& root = *self->view();
        self->navBar->setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));
        const ButtonRows& rows = buttonRowsAfterPresentation(currentScreenHeightClass());
        for (auto& row : powerButtons())
            (self.get()->*row.field.field)->setFrame(powerButtonFrame(root.frame().size.width, rows[size_t(row.tag - 1)]));
    };
}
