#pragma once

#include "platform/uikit/UINavigationBar.h"

// The main build's screens answer every bar's position question with "top attached" (3), so a bar
// at the top of the screen extends its background up behind the status bar.
class TopAttachedBarPositioning : public UIBarPositioningDelegate {
public:
    UIBarPosition positionForBar(UINavigationBar&) override { return UIBarPositionTopAttached; }
};
