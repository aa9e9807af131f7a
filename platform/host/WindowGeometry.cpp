#include "platform/host/WindowGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

WindowOpening windowOpeningFor(CGSize device, double deviceScale, CGSize usable, std::optional<double> forced)
{
    auto opening = [&](double scale) {
        return WindowOpening { scale, std::max(1, int(std::lround(device.width * scale))),
            std::max(1, int(std::lround(device.height * scale))) };
    };
    if (forced)
        return opening(*forced);
    std::vector<double> scales;
    for (double scale = std::floor(std::max(deviceScale, 1.0)); scale >= 1; --scale)
        scales.push_back(scale);
    if (deviceScale > scales.front())
        scales.insert(scales.begin(), deviceScale);
    scales.insert(scales.end(), std::begin(kFractionalWindowScales), std::end(kFractionalWindowScales));
    double width = usable.width - kWindowDecorationWidth, height = usable.height - kWindowDecorationHeight;
    for (double scale : scales) {
        auto candidate = opening(scale);
        if (candidate.width <= width && candidate.height <= height)
            return candidate;
    }
    return opening(scales.back());
}

Letterbox letterboxFor(CGSize window, CGSize device)
{
    if (window.width <= 0 || window.height <= 0 || device.width <= 0 || device.height <= 0)
        return { CGRectMake(0, 0, 0, 0), 1 };
    double scale = std::min({ double(window.width / device.width), double(window.height / device.height), kMaximumPictureScale });
    double width = device.width * scale, height = device.height * scale;
    return { CGRectMake(CGFloat((window.width - width) / 2), CGFloat((window.height - height) / 2), CGFloat(width),
                 CGFloat(height)),
        scale };
}

CGPoint windowPointToDevice(CGPoint window, CGSize windowSize, CGSize device)
{
    auto box = letterboxFor(windowSize, device);
    if (box.picture.size.width <= 0)
        return { 0, 0 };
    double x = (window.x - box.picture.origin.x) / box.scale;
    double y = (window.y - box.picture.origin.y) / box.scale;
    // The far edges are not on the screen itself: stop just inside them.
    auto inside = [](double value, CGFloat size) {
        return std::clamp(CGFloat(value), CGFloat(0), std::nextafter(size, CGFloat(0)));
    };
    return { inside(x, device.width), inside(y, device.height) };
}
