#include "platform/uikit/UIStatusBar.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

#include <cmath>
#include <ctime>
#include <numbers>

namespace {

void drawStyle(render::Painter& painter, UIStatusBarStyle style, const std::string& timeText, CGFloat width,
    double opacity)
{
    if (opacity <= 0)
        return;
    const double h = UIScreen::kStatusBarHeight;
    render::RGBA content = style == UIStatusBarStyleDefault ? render::RGBA { 0, 0, 0, 1 } : render::RGBA { 1, 1, 1, 1 };
    // Only a style fading in or out needs a group for its opacity, and one no larger than the bar.
    bool fading = opacity < 1;
    painter.save();
    if (fading) {
        painter.clip({ 0, 0, width, h });
        painter.beginGroup();
    }
    if (style == UIStatusBarStyleBlackOpaque)
        painter.fillRect({ 0, 0, width, h }, { 0, 0, 0, 1 });

    render::TextStyle text;
    text.font = toRenderFont(UIFont::systemFontOfSize(12));
    text.color = content;
    text.lineBreak = render::LineBreak::SingleLineClip;
    auto carrier = painter.measureText("Carrier", text);
    painter.drawText("Carrier", { 6, 0, carrier.width + 1, h }, text);

    // The Wi-Fi mark: three arcs over a dot, opening upwards.
    double cx = 6 + carrier.width + 12, cy = 14.5;
    const double pi = std::numbers::pi;
    for (int ring = 1; ring <= 3; ++ring)
        painter.strokeArc(cx, cy, 2.8 * ring, -pi * 0.75, -pi * 0.25, 1.4, content);
    painter.fillEllipse({ cx - 1, cy - 1, 2, 2 }, content);

    text.font.weight = render::FontWeight::Semibold;
    text.alignment = render::TextAlignment::Center;
    painter.drawText(timeText, { 0, 0, width, h }, text);

    // A full battery: an outlined body, its fill and the terminal nub.
    double bodyWidth = 24, bodyHeight = 10.5;
    double bx = width - 6 - 2 - bodyWidth, by = (h - bodyHeight) / 2;
    painter.strokeRoundedRect({ bx, by, bodyWidth, bodyHeight }, 2.5, 1, content);
    painter.fillRoundedRect({ bx + 2, by + 2, bodyWidth - 4, bodyHeight - 4 }, 1, content);
    painter.fillRoundedRect({ bx + bodyWidth + 0.5, by + 3.5, 1.5, bodyHeight - 7 }, 0.75, content);
    if (fading)
        painter.endGroup(opacity);
    painter.restore();
}

} // namespace

void UIStatusBar::setStyle(UIStatusBarStyle style, bool animated)
{
    _animation.cancel();
    if (style == _style && _transition >= 1) {
        UIMarkNeedsDisplay();
        return;
    }
    _previousStyle = _style;
    _style = style;
    UIMarkNeedsDisplay();
    if (!animated) {
        _transition = 1;
        return;
    }
    _animation = CAAnimationEngine::shared().add(
        kFadeDuration,
        [this](double t) {
            _transition = t;
            UIMarkNeedsDisplay();
        },
        nullptr, CAAnimationCurve::Linear);
}

std::string UIStatusBar::timeText() const
{
    if (!_timeText.empty())
        return _timeText;
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

void UIStatusBar::draw(render::Painter& painter, CGFloat width) const
{
    std::string time = timeText();
    if (_transition < 1)
        drawStyle(painter, _previousStyle, time, width, 1 - _transition);
    drawStyle(painter, _style, time, width, _transition);
}
