#include "platform/uikit/UIKitRendering.h"

// Frosted glass: what lies beneath a bar or an alert shows only as soft shapes of colour.
const double kBackdropBlurRadius = 30;
