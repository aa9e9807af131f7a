#include "screens/RootViewController.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIScreen.h"
#include "screens/ChangelogViewController.h"
#include "screens/SettingsViewController.h"
#include "screens/ScreenTheme.h"

void RootViewController::loadView()
{
    ios7Color = UIColor::colorWithRed(0.0, CGFloat(122) / 255, 1.0, 1.0);

    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(RootViewController, navBar), UINavigationBar::create());
    bar.setFrame(CGRectMake(0, kScreenProfile.rootBarY, root.frame().size.width, kScreenProfile.barHeight));
    bar.setTranslucent(true);
    styleBarBlack(bar);

    auto item = UINavigationItem::initWithTitle("Zentrova");
    navItem = item.get();

    applyFixedStatusBarStyle();
    root.setBackgroundColor(Theme::stored().background());

    addNavigationButtons(*item);
    bar.setItems({ item });
    root.addSubview(navBar);

    for (auto& row : powerButtons()) {
        switch (row.legacyTitleColor) {
        case TitleColor::Red:
            addPowerButton(row, UIColor::redColor());
            break;
        case TitleColor::Green:
            addPowerButton(row, UIColor::greenColor());
            break;
        case TitleColor::Ios7Field:
            addPowerButton(row, ios7Color);
            break;
        case TitleColor::Ios7Components:
            addPowerButton(row, UIColor::colorWithRed(0.0, CGFloat(122) / 255, 1.0, 1.0));
            break;
        case TitleColor::PlatformDefault:
            addPowerButton(row, std::nullopt);
            break;
        }
    }
}

// The legacy bar and buttons look the same in both themes: only the background follows it.
void RootViewController::colorMe()
{
    applyFixedStatusBarStyle();
    view()->setBackgroundColor(Theme::stored().background());
}

// The legacy screens open full screen with the platform's modal presentation; the presentation
// holds the only reference, so a screen is freed once dismissed. The root screen never moves.
void RootViewController::leftButtonPressed()
{
    presentModalViewController(ChangelogViewController::create(), true);
}

void RootViewController::rightButtonPressed()
{
    NSNotificationCenter::defaultCenter().addObserver(this, NSSELECTOR(RootViewController, colorMe),
        NSUserDefaultsDidChangeNotification, nullptr);
    presentModalViewController(SettingsViewController::create(), true);
}
