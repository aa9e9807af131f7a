#include "screens/RootViewController.h"

#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "screens/ScreenTheme.h"

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
    item->setLeftBarButtonItem(UIBarButtonItem::initWithTitle("Changelog", UIBarButtonItemStylePlain, this,
        &RootViewController::leftButtonPressed));
    item->setRightBarButtonItem(UIBarButtonItem::initWithTitle("Settings", UIBarButtonItemStylePlain, this,
        &RootViewController::rightButtonPressed));
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
}

void RootViewController::rightButtonPressed()
{
}
