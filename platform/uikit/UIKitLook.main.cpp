#include "platform/uikit/UIKitLook.h"

#include "platform/render/Painter.h"
#include "platform/uikit/UIKitRendering.h"

#include <algorithm>
#include <cmath>

// The flat look: frosted bars with a hairline at their foot, bar buttons as plain tinted text, the
// pill switch, and a light panel for alerts with hairlines between its buttons.

const UIKitLook& UIKitLook::current()
{
    static const UIKitLook look {
        .backdropBlurRadius = 30,
        .switchSize = { 51, 31 },
        .switchKnobDiameter = 27,
        .switchKnobInset = 2,
        .barTitleFont = UIFont::boldSystemFontOfSize(17),
        .barItemFont = UIFont::systemFontOfSize(17),
        .barItemInset = 8,
        .barItemPadding = 0,
        .barItemHeight = 44,
        .alertWidth = 270,
        .alertCornerRadius = 7,
        .alertButtonHeight = 44,
        .alertButtonMargin = 0,
        .alertButtonGap = 0,
        .alertTextColor = UIColor::blackColor(),
        .alertButtonFont = UIFont::systemFontOfSize(17),
        .alertCancelButtonFont = UIFont::boldSystemFontOfSize(17),
        .alertButtonTitleColor = kSystemTintColor,
        .titleShadowColor = std::nullopt,
    };
    return look;
}

namespace {

constexpr double kPressedItemOpacity = 0.2;
constexpr render::RGBA kOnTrack { 76 / 255.0, 217 / 255.0, 100 / 255.0, 1 };
constexpr render::RGBA kOffOutline { 0.898, 0.898, 0.898, 1 };
constexpr render::RGBA kWhite { 1, 1, 1, 1 };
constexpr render::RGBA kAlertPanel { 0.97, 0.97, 0.97, 0.98 };
constexpr render::RGBA kAlertHairline { 0, 0, 0, 0.2 };
constexpr render::RGBA kAlertButtonPressed { 0.85, 0.85, 0.85, 1 };
constexpr double kSwitchOutlineWidth = 1.5;

} // namespace

namespace UIKitLookDrawing {

void drawNavigationBar(render::Painter& painter, const UIBarAppearance& bar)
{
    const double w = bar.size.width, h = bar.size.height;
    render::RGBA fill { 0.97, 0.97, 0.97, 1 };
    if (bar.tintColor)
        fill = toRGBA(*bar.tintColor);
    else if (bar.black)
        fill = { 0, 0, 0, 1 };
    if (bar.translucent) {
        fill.a *= 0.9;
        painter.blurRegion({ 0, 0, w, h }, UIKitLook::current().backdropBlurRadius);
    }
    painter.fillRect({ 0, 0, w, h }, fill);
    render::RGBA hairline = bar.black ? render::RGBA { 0.2, 0.2, 0.2, 1 } : render::RGBA { 0, 0, 0, 0.3 };
    painter.line(0, h - 0.25, w, h - 0.25, 0.5, hairline);
}

void drawBarButtonItem(render::Painter& painter, const UIBarAppearance&, CGRect frame, const NSString& title,
    bool pressed)
{
    render::TextStyle style;
    style.font = toRenderFont(UIKitLook::current().barItemFont);
    style.lineBreak = render::LineBreak::SingleLineClip;
    style.color = toRGBA(kSystemTintColor);
    if (pressed)
        style.color.a *= kPressedItemOpacity;
    painter.drawText(title.utf8(), { frame.minX(), frame.minY(), frame.size.width, frame.size.height }, style);
}

void drawSwitch(render::Painter& painter, double knobPosition)
{
    const UIKitLook& look = UIKitLook::current();
    const double w = look.switchSize.width, h = look.switchSize.height, radius = h / 2;
    const double p = std::clamp(knobPosition, 0.0, 1.0);
    // Off, the track is an outline with the ground showing through; the green grows from the knob
    // as the switch turns on.
    // Whole device pixels wide, so the outline is as sharp at one pixel per point as at three.
    const double outline = std::max(1.0, std::round(kSwitchOutlineWidth * painter.scale())) / painter.scale();
    painter.strokeRoundedRect({ 0, 0, w, h }, radius, outline, kOffOutline);
    if (p > 0) {
        render::RGBA track = kOnTrack;
        track.a = p;
        painter.fillRoundedRect({ 0, 0, w, h }, radius, track);
    }
    const double knob = look.switchKnobDiameter, inset = look.switchKnobInset;
    const double x = inset + p * look.switchKnobTravel(), y = (h - knob) / 2;
    // The shadow stays inside the switch's own frame.
    painter.fillShadow({ x, y + 1, knob, knob }, knob / 2, 2, { 0, 0, 0, 0.3 });
    painter.fillEllipse({ x, y, knob, knob }, kWhite);
    painter.strokeRoundedRect({ x, y, knob, knob }, knob / 2, 0.5, { 0, 0, 0, 0.08 });
}

void drawAlertPanel(render::Painter& painter, CGSize size, const std::vector<CGRect>& separators)
{
    painter.fillRoundedRect({ 0, 0, size.width, size.height }, UIKitLook::current().alertCornerRadius, kAlertPanel);
    for (const CGRect& line : separators)
        painter.fillRect({ line.minX(), line.minY(), line.size.width, line.size.height }, kAlertHairline);
}

void drawAlertButton(render::Painter& painter, CGSize size, bool, bool pressed)
{
    if (pressed)
        painter.fillRect({ 0, 0, size.width, size.height }, kAlertButtonPressed);
}

} // namespace UIKitLookDrawing
