#include "platform/uikit/UIScreen.h"

UIScreen& UIScreen::mainScreen()
{
    static UIScreen screen;
    return screen;
}

void UIScreen::configure(CGSize size, CGFloat scale)
{
    _bounds = { { 0, 0 }, size };
    _scale = scale;
}
