#pragma once

#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationItem.h"

// The bar of a screen that closes itself: one item with the screen's title and a plain "Back"
// button on the left that sends the screen leftBackButtonPressed. Returns the item, which the
// bar's item list holds.
template <typename Screen>
UINavigationItem* giveBarItsBackItem(UINavigationBar& bar, const NSString& title, Screen* screen)
{
    auto item = UINavigationItem::initWithTitle(title);
    item->setLeftBarButtonItem(
        UIBarButtonItem::initWithTitle("Back", UIBarButtonItemStylePlain, screen, &Screen::leftBackButtonPressed));
    bar.setItems({ item });
    return item.get();
}
