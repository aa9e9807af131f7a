#include "screens/ScreenHeightClass.h"

#include "platform/uikit/UIScreen.h"

namespace {

// Indexed by height class: other, 568, 1024.
constexpr std::array<ButtonRows, 3> kRowsWhenBuilt { {
    { 45, 115, 185, 255, 325, 395 },
    { 50, 135, 220, 305, 390, 475 },
    { 60, 220, 380, 540, 700, 860 },
} };

// Every row moves down by 20 after the first presentation, except the last row of the 568 class,
// which moves by 40.
constexpr std::array<ButtonRows, 3> kRowsAfterPresentation { {
    { 65, 135, 205, 275, 345, 415 },
    { 70, 155, 240, 325, 410, 515 },
    { 80, 240, 400, 560, 720, 880 },
} };

} // namespace

ScreenHeightClass currentScreenHeightClass()
{
    CGFloat height = UIScreen::mainScreen().bounds().size.height;
    if (height == 1024)
        return ScreenHeightClass::Height1024;
    if (height == 568)
        return ScreenHeightClass::Height568;
    return ScreenHeightClass::Other;
}

const ButtonRows& buttonRowsWhenBuilt(ScreenHeightClass heightClass)
{
    return kRowsWhenBuilt[static_cast<size_t>(heightClass)];
}

const ButtonRows& buttonRowsAfterPresentation(ScreenHeightClass heightClass)
{
    return kRowsAfterPresentation[static_cast<size_t>(heightClass)];
}
