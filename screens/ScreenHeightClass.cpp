#include "screens/ScreenHeightClass.h"

#include "platform/uikit/UIScreen.h"

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
    static constexpr ButtonRows other { 45, 115, 185, 255, 325, 395 };
    static constexpr ButtonRows tall { 50, 135, 220, 305, 390, 475 };
    static constexpr ButtonRows tablet { 60, 220, 380, 540, 700, 860 };
    switch (heightClass) {
    case ScreenHeightClass::Height1024:
        return tablet;
    case ScreenHeightClass::Height568:
        return tall;
    case ScreenHeightClass::Other:
        break;
    }
    return other;
}

const ButtonRows& buttonRowsAfterPresentation(ScreenHeightClass heightClass)
{
    // Every row moves down by 20 after the first presentation, except the last row of the 568
    // class, which moves by 40.
    static constexpr ButtonRows other { 65, 135, 205, 275, 345, 415 };
    static constexpr ButtonRows tall { 70, 155, 240, 325, 410, 515 };
    static constexpr ButtonRows tablet { 80, 240, 400, 560, 720, 880 };
    switch (heightClass) {
    case ScreenHeightClass::Height1024:
        return tablet;
    case ScreenHeightClass::Height568:
        return tall;
    case ScreenHeightClass::Other:
        break;
    }
    return other;
}
