#include "platform/foundation/NSDictionary.h"

const NSString NSFontAttributeName = "NSFont";
const NSString NSForegroundColorAttributeName = "NSColor";
