#pragma once

// The platform's application entry. Reads the host options from the arguments, sets up the
// screen, the device root and the system seam, makes the application object of the named class
// (and its delegate: the same object when both names agree), launches it and runs the host's
// loop: a window when there is a display, else the headless console or script. Returns the
// process's exit status: 2 for bad options or automation input.
int UIApplicationMain(int argc, char** argv, const char* principalClassName, const char* delegateClassName);
