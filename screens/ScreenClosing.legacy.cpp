#include "screens/ScreenClosing.h"

#include "platform/uikit/UIViewController.h"

void closeScreen(UIViewController& screen)
{
    screen.dismissModalViewControllerAnimated(true);
}
