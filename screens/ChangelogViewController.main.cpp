#include "screens/ChangelogViewController.h"

#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIScreen.h"
#include "screens/BoldnColor.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

void ChangelogViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();
    ios7BlueColor = UIColor::colorWithRed(0.0, CGFloat(122.0 / 255.0), 1.0, 1.0);

    auto created = UITextView::create();
    UITextView& text = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, changes), *created);
    text.setClipsToBounds(true);

    // Before the bar exists only the light theme touches the status bar.
    Theme theme = Theme::stored();
    if (theme.isLight())
        applyStatusBarStyle(theme);
    text.setBackgroundColor(theme.background());
    text.setTextColor(theme.foreground());

    text.setFont(UIFont::fontWithName("Helvetica", 16.0));
    text.setText(NSString::stringWithContentsOfFile(NSString(kChangelogPath), NSUTF8StringEncoding, nullptr));
    text.setTextAlignment(NSTextAlignmentLeft);
    for (std::string_view heading : kHeadings)
        BoldnColor::boldSubstring(text, NSString(heading), ios7BlueColor);

    CGSize size = root.frame().size;
    text.setFrame(CGRectMake(0, kScreenProfile.changelogTextTop, size.width, size.height - 44));
    text.setEditable(false);
    text.setUserInteractionEnabled(true);
    root.addSubview(std::move(created));

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, navBar), UINavigationBar::create());
    root.addConstraint(NSLayoutConstraint::constraintWithItem(&bar, NSLayoutAttributeHeight, NSLayoutRelationEqual,
        nullptr, NSLayoutAttributeHeight, 1.0, kScreenProfile.barHeight));
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));

    applyTheme(Theme::stored(), bar, root);

    bar.setTranslucent(true);
    navItem = giveBarItsBackItem(bar, "Changelog", this);
    root.addSubview(navBar);
}
