#include "screens/ChangelogViewController.h"

#include "platform/foundation/NSClassRegistry.h"
#include "platform/uikit/UIScreen.h"
#include "screens/BackBarItem.h"
#include "screens/ScreenClosing.h"
#include "screens/ScreenOutlet.h"
#include "screens/ScreenTheme.h"

ZENTROVA_REGISTER_CLASS(ChangelogViewController)

void ChangelogViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen().applicationFrame()));
    UIView& root = *view();

    auto created = UITextView::create();
    UITextView& text = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, changes), *created);
    text.setClipsToBounds(true);

    Theme theme = Theme::stored();
    applyThemeBeforeBar(theme);
    text.setBackgroundColor(theme.background());
    text.setTextColor(theme.foreground());

    text.setFont(UIFont::fontWithName("Helvetica", 16.0));
    text.setText(NSString::stringWithContentsOfFile(NSString(kChangelogPath), NSUTF8StringEncoding, nullptr));
    text.setTextAlignment(NSTextAlignmentLeft);
    emphasizeHeadings(text);

    // The text view starts below the bar but is as tall as the view less 44.
    CGSize size = root.frame().size;
    text.setFrame(CGRectMake(0, kScreenProfile.barHeight, size.width, size.height - 44));
    text.setEditable(false);
    text.setUserInteractionEnabled(true);
    root.addSubview(std::move(created));

    UINavigationBar& bar = keepInField(*this, ZENTROVA_OUTLET(ChangelogViewController, navBar), UINavigationBar::create());
    pinBarHeight(root, bar);
    bar.setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));

    applyTheme(Theme::stored(), bar, root);

    bar.setTranslucent(true);
    navItem = giveBarItsBackItem(bar, "Changelog", this);
    root.addSubview(navBar);
}

void ChangelogViewController::leftBackButtonPressed()
{
    closeScreen(*this);
}
