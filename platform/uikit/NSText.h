#pragma once

#include "platform/foundation/NSObjCRuntime.h"

enum NSTextAlignment : NSInteger {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
};
