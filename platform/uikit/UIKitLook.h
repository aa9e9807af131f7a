#pragma once

// The look of the platform's own controls: the sizes they take, the metrics their layout reads, and
// the code that paints bars, bar buttons, switches and alerts. Each program links one look
// (UIKitLook.main.cpp or UIKitLook.legacy.cpp); the views lay themselves out from its data and
// call its drawing functions, and never ask which program they are in.

#include "platform/uikit/CGGeometry.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"

#include <optional>
#include <vector>

namespace render {
class Painter;
}

struct UIKitLook {
    // How far, in points, translucent bars and alert panels spread what lies beneath them; zero
    // where the look tints the backdrop without blurring it.
    double backdropBlurRadius;

    // A switch is always this size, whatever frame it is given. Its knob travels between the two
    // ends of the track, kept this far from each.
    CGSize switchSize;
    CGFloat switchKnobDiameter;
    CGFloat switchKnobInset;
    CGFloat switchKnobTravel() const { return switchSize.width - switchKnobDiameter - 2 * switchKnobInset; }

    // Navigation bars. A bar button lies this far in from the bar's end, holds its title with this
    // much room on either side, and is this high, centred in the bar's 44-point content.
    UIFont barTitleFont;
    UIFont barItemFont;
    CGFloat barItemInset;
    CGFloat barItemPadding;
    CGFloat barItemHeight;

    // Alerts. The buttons keep `alertButtonMargin` from the panel's sides and foot and from the
    // text above them; two side by side stand `alertButtonGap` apart, as do stacked ones.
    CGFloat alertWidth;
    CGFloat alertCornerRadius;
    CGFloat alertButtonHeight;
    CGFloat alertButtonMargin;
    CGFloat alertButtonGap;
    UIColor alertTextColor;
    UIFont alertButtonFont;
    UIFont alertCancelButtonFont;
    std::optional<UIColor> alertButtonTitleColor;

    // Titles on bars and alerts are engraved with this shadow one point above them, where there is one.
    std::optional<UIColor> titleShadowColor;

    static const UIKitLook& current();
};

// How a navigation bar asks to be painted.
struct UIBarAppearance {
    CGSize size;
    bool black = false;
    bool translucent = false;
    std::optional<UIColor> tintColor;
};

// The look's painting. Every function draws in the view's own coordinates.
namespace UIKitLookDrawing {

// The bar's ground, from its top edge (behind the status bar, where it reaches there) to its foot.
void drawNavigationBar(render::Painter& painter, const UIBarAppearance& bar);
// One bar button of a bar, its title in `frame`, darker or fainter while pressed.
void drawBarButtonItem(render::Painter& painter, const UIBarAppearance& bar, CGRect frame, const NSString& title,
    bool pressed);
// A switch at the origin, its knob at `knobPosition` between off (0) and on (1).
void drawSwitch(render::Painter& painter, double knobPosition);
// The alert's panel; `separators` are where its text and buttons meet, for a look that draws them.
void drawAlertPanel(render::Painter& painter, CGSize size, const std::vector<CGRect>& separators);
// The ground of one alert button; its title is drawn over it.
void drawAlertButton(render::Painter& painter, CGSize size, bool isCancel, bool pressed);

} // namespace UIKitLookDrawing
