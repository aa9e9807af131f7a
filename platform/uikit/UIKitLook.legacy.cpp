#include "platform/uikit/UIKitLook.h"

#include "platform/render/Painter.h"
#include "platform/uikit/UIKitRendering.h"

#include <algorithm>

// The glossy look: bars with a lit upper half, bordered bar buttons, a wide switch that reads "ON"
// and "OFF", and alerts on a dark blue glass panel with glossy buttons. What lies beneath a
// translucent bar or an alert is tinted, never blurred.

const UIKitLook& UIKitLook::current()
{
    static const UIKitLook look {
        .backdropBlurRadius = 0,
        .switchSize = { 79, 27 },
        .switchKnobDiameter = 27,
        .switchKnobInset = 0,
        .barTitleFont = UIFont::boldSystemFontOfSize(20),
        .barItemFont = UIFont::boldSystemFontOfSize(12),
        .barItemInset = 5,
        .barItemPadding = 10,
        .barItemHeight = 30,
        .alertWidth = 284,
        .alertCornerRadius = 10,
        .alertButtonHeight = 43,
        .alertButtonMargin = 12,
        .alertButtonGap = 8,
        .alertTextColor = UIColor::whiteColor(),
        .alertButtonFont = UIFont::boldSystemFontOfSize(18),
        .alertCancelButtonFont = UIFont::boldSystemFontOfSize(18),
        .alertButtonTitleColor = UIColor::whiteColor(),
        .titleShadowColor = UIColor::colorWithRed(0, 0, 0, CGFloat(0.6)),
    };
    return look;
}

namespace {

using render::GradientStop;
using render::RGBA;

RGBA mix(const RGBA& color, const RGBA& with, double amount)
{
    return { color.r + (with.r - color.r) * amount, color.g + (with.g - color.g) * amount,
        color.b + (with.b - color.b) * amount, color.a };
}

RGBA lighter(const RGBA& color, double amount)
{
    return mix(color, { 1, 1, 1, 1 }, amount);
}

RGBA darker(const RGBA& color, double amount)
{
    return mix(color, { 0, 0, 0, 1 }, amount);
}

// The gloss: a lit upper half over a darker lower half, split sharply in the middle.
std::vector<GradientStop> gloss(const RGBA& base, double lift)
{
    return { { 0, lighter(base, lift * 1.6) }, { 0.5, lighter(base, lift * 0.7) }, { 0.5, base },
        { 1, darker(base, 0.15) } };
}

// One device pixel, so hairlines stay sharp at every scale.
double hairline(const render::Painter& painter)
{
    return 1 / painter.scale();
}

RGBA barBase(const UIBarAppearance& bar)
{
    if (bar.tintColor)
        return toRGBA(*bar.tintColor);
    if (bar.black)
        return { 0.02, 0.02, 0.02, 1 };
    return { 0.43, 0.52, 0.63, 1 };
}

render::TextStyle engraved(const UIFont& font, const RGBA& color)
{
    render::TextStyle style;
    style.font = toRenderFont(font);
    style.color = color;
    style.alignment = render::TextAlignment::Center;
    style.lineBreak = render::LineBreak::SingleLineClip;
    if (auto shadow = UIKitLook::current().titleShadowColor)
        style.shadow = render::TextShadow { toRGBA(*shadow), 0, -1 };
    return style;
}

constexpr RGBA kOnTop { 0.02, 0.30, 0.75, 1 };
constexpr RGBA kOnMiddle { 0.15, 0.48, 0.94, 1 };
constexpr RGBA kOnBottom { 0.32, 0.62, 1.0, 1 };
constexpr RGBA kOffTop { 0.78, 0.78, 0.78, 1 };
constexpr RGBA kOffMiddle { 0.92, 0.92, 0.92, 1 };
constexpr RGBA kOffBottom { 0.99, 0.99, 0.99, 1 };
constexpr RGBA kOffText { 0.48, 0.48, 0.48, 1 };
constexpr double kSwitchTextSize = 16;

constexpr RGBA kAlertTop { 0.16, 0.24, 0.45, 0.88 };
constexpr RGBA kAlertMiddle { 0.05, 0.12, 0.33, 0.88 };
constexpr RGBA kAlertBottom { 0.02, 0.07, 0.25, 0.88 };
constexpr RGBA kAlertBorder { 1, 1, 1, 0.9 };
constexpr double kAlertBorderWidth = 2;
constexpr RGBA kAlertButton { 0.24, 0.31, 0.48, 0.95 };
constexpr double kCancelDarkening = 0.35;
constexpr double kPressedDarkening = 0.45;
constexpr double kButtonRadius = 5;

} // namespace

namespace UIKitLookDrawing {

void drawNavigationBar(render::Painter& painter, const UIBarAppearance& bar)
{
    const double w = bar.size.width, h = bar.size.height;
    // A translucent bar lets a tenth of what lies beneath show; it still reads as its own colour.
    double alpha = bar.translucent ? 0.9 : 1;
    auto stops = gloss(barBase(bar), 0.16);
    for (auto& stop : stops)
        stop.color.a *= alpha;
    painter.blurRegion({ 0, 0, w, h }, UIKitLook::current().backdropBlurRadius);
    painter.fillRoundedRect({ 0, 0, w, h }, 0, stops);
    const double line = hairline(painter);
    painter.fillRect({ 0, 0, w, line }, { 1, 1, 1, 0.35 * alpha });
    painter.fillRect({ 0, h - line, w, line }, { 0, 0, 0, alpha });
}

void drawBarButtonItem(render::Painter& painter, const UIBarAppearance& bar, CGRect frame, const NSString& title,
    bool pressed)
{
    render::Rect rect { frame.minX(), frame.minY(), frame.size.width, frame.size.height };
    RGBA base = lighter(barBase(bar), 0.06);
    if (pressed)
        base = darker(base, 0.6);
    painter.fillRoundedRect(rect, kButtonRadius, gloss(base, pressed ? 0.06 : 0.14));
    // A thin dark border with a faint light edge inside it along the top.
    painter.strokeRoundedRect(rect, kButtonRadius, 1, { 0, 0, 0, 0.8 });
    painter.fillRect({ rect.x + kButtonRadius, rect.y + 1, rect.width - 2 * kButtonRadius, hairline(painter) },
        { 1, 1, 1, 0.2 });
    painter.drawText(title.utf8(), rect, engraved(UIKitLook::current().barItemFont, { 1, 1, 1, 1 }));
}

void drawSwitch(render::Painter& painter, double knobPosition)
{
    const UIKitLook& look = UIKitLook::current();
    const double w = look.switchSize.width, h = look.switchSize.height, radius = h / 2;
    const double knob = look.switchKnobDiameter;
    const double travel = look.switchKnobTravel();
    const double knobX = look.switchKnobInset + std::clamp(knobPosition, 0.0, 1.0) * travel;
    const double knobY = (h - knob) / 2;
    const double split = knobX + knob / 2;

    // The track is one strip that slides with the knob: "ON" on blue to its left, "OFF" on grey to
    // its right, seen through the rounded window of the switch.
    painter.save();
    painter.clip({ 0, 0, w, h }, radius);
    painter.fillRoundedRect({ 0, 0, split, h }, 0, { { 0, kOnTop }, { 0.5, kOnMiddle }, { 1, kOnBottom } });
    painter.fillRoundedRect({ split, 0, w - split, h }, 0, { { 0, kOffTop }, { 0.5, kOffMiddle }, { 1, kOffBottom } });
    render::TextStyle on = engraved(UIFont::boldSystemFontOfSize(kSwitchTextSize), { 1, 1, 1, 1 });
    painter.drawText("ON", { knobX - travel, 0, travel, h }, on);
    render::TextStyle off = engraved(UIFont::boldSystemFontOfSize(kSwitchTextSize), kOffText);
    off.shadow = render::TextShadow { { 1, 1, 1, 0.8 }, 0, 1 };
    painter.drawText("OFF", { knobX + knob, 0, travel, h }, off);
    // The track lies a little below the switch's rim: a shade along its top edge.
    painter.fillRoundedRect({ 0, 0, w, 5 }, 0, { { 0, { 0, 0, 0, 0.25 } }, { 1, { 0, 0, 0, 0 } } });
    // The knob's soft shadow falls on the track around it.
    painter.fillShadow({ knobX, knobY + 1, knob, knob }, knob / 2, 3, { 0, 0, 0, 0.35 });
    painter.restore();
    painter.strokeRoundedRect({ 0, 0, w, h }, radius, 1, { 0, 0, 0, 0.35 });

    // A glossy knob: lit from above, with a bright sheen over its upper half.
    const render::Rect knobRect { knobX, knobY, knob, knob };
    painter.fillRoundedRect(knobRect, knob / 2, { { 0, { 0.99, 0.99, 0.99, 1 } }, { 1, { 0.80, 0.80, 0.80, 1 } } });
    painter.fillRoundedRect({ knobX + knob * 0.2, knobY + 1.5, knob * 0.6, knob * 0.42 }, knob * 0.21,
        { { 0, { 1, 1, 1, 0.9 } }, { 1, { 1, 1, 1, 0.1 } } });
    painter.strokeRoundedRect(knobRect, knob / 2, 1, { 0, 0, 0, 0.3 });
}

void drawAlertPanel(render::Painter& painter, CGSize size, const std::vector<CGRect>&)
{
    const double radius = UIKitLook::current().alertCornerRadius;
    const render::Rect panel { 0, 0, size.width, size.height };
    painter.fillRoundedRect(panel, radius, { { 0, kAlertTop }, { 0.35, kAlertMiddle }, { 1, kAlertBottom } });
    // The glass catches the light in a broad arc across its top.
    painter.save();
    painter.clip(panel, radius);
    painter.fillEllipse({ -size.width * 0.25, -size.height * 0.6, size.width * 1.5, size.height * 0.9 },
        { 1, 1, 1, 0.1 });
    painter.restore();
    painter.strokeRoundedRect(panel, radius, kAlertBorderWidth, kAlertBorder);
}

void drawAlertButton(render::Painter& painter, CGSize size, bool isCancel, bool pressed)
{
    const render::Rect rect { 0, 0, size.width, size.height };
    RGBA base = kAlertButton;
    if (isCancel)
        base = darker(base, kCancelDarkening);
    if (pressed)
        base = darker(base, kPressedDarkening);
    painter.fillRoundedRect(rect, kButtonRadius, gloss(base, 0.22));
    painter.strokeRoundedRect(rect, kButtonRadius, 1, { 0, 0, 0, 0.55 });
    painter.strokeRoundedRect({ 1, 1, size.width - 2, size.height - 2 }, kButtonRadius - 1, hairline(painter),
        { 1, 1, 1, 0.25 });
}

} // namespace UIKitLookDrawing
