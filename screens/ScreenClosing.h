#pragma once

class UIViewController;

// How the changelog and settings screens close themselves when "Back" is pressed. The main build
// dismisses the screen with animation and, once the dismissal has finished, adds a 0.3-second
// reveal-from-left transition to the closed screen's own view; the completion keeps the screen
// alive until then. The legacy build sends itself the platform's modal dismissal and nothing
// follows.
void closeScreen(UIViewController& screen);
