#include "screens/RootViewController.h"

#include "screens/ScreenHeightClass.h"

// The screens slide in over the root screen with the custom presentation. Once one has been
// presented, the root screen moves its bar down to the top of its view and its buttons to the
// second table; the completion keeps the screen alive until it runs.
void RootViewController::presentScreen(std::shared_ptr<UIViewController> screen)
{
    screen->setModalPresentationStyle(UIModalPresentationCustom);
    presentViewController(std::move(screen), true, [self = retainSelf<RootViewController>()] {
        UIView& root = *self->view();
        self->navBar->setFrame(CGRectMake(0, 0, root.frame().size.width, kScreenProfile.barHeight));
        const ButtonRows& rows = buttonRowsAfterPresentation(currentScreenHeightClass());
        for (auto& row : powerButtons())
            (self.get()->*row.field.field)->setFrame(powerButtonFrame(root.frame().size.width, rows[size_t(row.tag - 1)]));
    });
}
