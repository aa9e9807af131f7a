#include "platform/uikit/UIKitRendering.h"

// The older look tints what lies beneath a translucent bar or an alert without blurring it.
const double kBackdropBlurRadius = 0;
