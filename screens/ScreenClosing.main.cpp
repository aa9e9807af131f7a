#include "screens/ScreenClosing.h"

#include "platform/quartzcore/CATransition.h"
#include "platform/uikit/UIViewController.h"

void closeScreen(UIViewController& screen)
{
    screen.dismissViewControllerAnimated(true, [self = screen.retainSelf<UIViewController>()] {
        auto transition = CATransition::animation();
        transition->setDuration(0.3);
        transition->setType(kCATransitionReveal);
        transition->setSubtype(kCATransitionFromLeft);
        self->view()->layer().addAnimation(transition, kCATransition);
    });
}
