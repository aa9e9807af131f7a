#include "screens/RootViewController.h"

// The legacy screens open full screen with the platform's modal presentation; the presentation
// holds the only reference, so a screen is freed once dismissed. The root screen never moves.
void RootViewController::presentScreen(std::shared_ptr<UIViewController> screen)
{
    presentModalViewController(std::move(screen), true);
}
