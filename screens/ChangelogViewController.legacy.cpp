#include "screens/ChangelogViewController.h"

#include "platform/uikit/UIScreen.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

void ChangelogViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    auto created = UITextView::create();
    UITextView& text = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, changes), *created);
    text.setClipsToBounds(true);

    Theme theme = Theme::stored();
    text.setBackgroundColor(theme.background());
    text.setTextColor(theme.foreground());

    // The whole text, headings included, stays in one face and colour.
    text.setFont(UIFont::fontWithName("Helvetica", 16.0));
    text.setText(NSString::stringWithContentsOfFile(NSString(kChangelogPath), NSUTF8StringEncoding, nullptr));
    text.setTextAlignment(NSTextAlignmentLeft);

    CGSize size = root.frame().size;
    text.setFrame(CGRectMake(0, kScreenProfile.changelogTextTop, size.width, size.height - 44));
    text.setEditable(false);
    text.setUserInteractionEnabled(true);
    root.addSubview(std::move(created));

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, navBar), UINavigationBar::create());
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));
    applyFixedStatusBarStyle();
    styleBarBlack(bar);
    root.setBackgroundColor(Theme::stored().background());
    bar.setTranslucent(true);

    navItem = giveBarItsBackItem(bar, "Changelog", this);
    root.addSubview(navBar);
}
