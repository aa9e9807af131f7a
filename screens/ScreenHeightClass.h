#pragma once

#include "platform/uikit/CGGeometry.h"

#include <array>

// The root screen's layout depends on the main screen's height, compared for exact equality with
// 1024 and then with 568; every other height, landscape ones included, is the other class.
enum class ScreenHeightClass {
    Other,
    Height568,
    Height1024,
};

ScreenHeightClass currentScreenHeightClass();

// The y of each of the six power buttons, in tag order, for a height class.
using ButtonRows = std::array<CGFloat, 6>;
const ButtonRows& buttonRowsWhenBuilt(ScreenHeightClass heightClass);
const ButtonRows& buttonRowsAfterPresentation(ScreenHeightClass heightClass);
