#include "screens/ChangelogViewController.h"

#include "platform/foundation/NSClassRegistry.h"
#include "screens/ScreenClosing.h"

ZENTROVA_REGISTER_CLASS(ChangelogViewController)

void ChangelogViewController::leftBackButtonPressed()
{
    closeScreen(*this);
}
