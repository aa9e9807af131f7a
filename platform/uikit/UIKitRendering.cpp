#include "platform/uikit/UIKitRendering.h"

render::RGBA toRGBA(const UIColor& color)
{
    return { color.red(), color.green(), color.blue(), color.alpha() };
}

render::Font toRenderFont(const UIFont& font)
{
    render::Font result;
    result.family = font.isSystemFont() ? std::string() : font.fontName().utf8();
    if (auto dash = result.family.rfind("-Bold"); dash != std::string::npos && dash + 5 == result.family.size())
        result.family.erase(dash);
    result.size = font.pointSize();
    result.weight = font.isBold() ? render::FontWeight::Bold : render::FontWeight::Regular;
    return result;
}

render::TextAlignment toRenderAlignment(NSTextAlignment alignment)
{
    switch (alignment) {
    case NSTextAlignmentCenter:
        return render::TextAlignment::Center;
    case NSTextAlignmentRight:
        return render::TextAlignment::Right;
    case NSTextAlignmentLeft:
        break;
    }
    return render::TextAlignment::Left;
}
