#pragma once

#include "platform/uikit/CGGeometry.h"

#include <optional>

// Where the device's screen sits in the window and how big the window opens: plain arithmetic,
// kept apart from SDL so it can be checked against any display.

// The steps a window's scale is tried in when it opens: the device's own scale down to 1 in whole
// steps, then these; the last is taken when nothing fits.
inline constexpr double kFractionalWindowScales[] = { 0.75, 0.5 };
// Room kept above the window for the title bar and frame a window manager adds.
inline constexpr int kWindowDecorationHeight = 40;
inline constexpr int kWindowDecorationWidth = 8;

struct WindowOpening {
    double scale = 1;
    int width = 0;
    int height = 0;
};

// The largest scale at which a screen of DEVICE points fits the display's USABLE area with its
// window decorations; FORCED, when given, wins over what fits.
WindowOpening windowOpeningFor(CGSize device, double deviceScale, CGSize usable, std::optional<double> forced);

// The device's screen drawn as large as the window allows with its proportions kept, centred,
// with bars on the two sides or above and below: its rectangle in window pixels and the pixels
// per point. It grows no larger than this many pixels a point, which bounds the memory a frame
// takes however large the window is made.
inline constexpr double kMaximumPictureScale = 8;
struct Letterbox {
    CGRect picture;
    double scale = 1;
};
Letterbox letterboxFor(CGSize window, CGSize device);

// A point in the window, in window pixels, as a point on the device's screen. A point in the bars
// maps to the nearest edge of the screen, so a drag that slips off the picture keeps going.
CGPoint windowPointToDevice(CGPoint window, CGSize windowSize, CGSize device);
