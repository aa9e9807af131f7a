#include "platform/uikit/UINavigationBar.h"

#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewDescription.h"

namespace {

constexpr CGFloat kContentHeight = 44;
constexpr CGFloat kItemInset = 8;
constexpr CGFloat kTitleSize = 17;
constexpr CGFloat kItemSize = 17;
constexpr double kPressedOpacity = 0.2;

render::TextStyle itemStyle()
{
    render::TextStyle style;
    style.font = toRenderFont(UIFont::systemFontOfSize(kItemSize));
    style.lineBreak = render::LineBreak::SingleLineClip;
    return style;
}

// Bar buttons are measured with the engine that draws them.
CGFloat itemWidth(const NSString& title)
{
    return CGFloat(render::measureText(title.utf8(), itemStyle()).width);
}

} // namespace

std::shared_ptr<UINavigationBar> UINavigationBar::create()
{
    return std::shared_ptr<UINavigationBar>(new UINavigationBar);
}

UINavigationBar::UINavigationBar()
    : UIView(CGRectZero)
{
}

void UINavigationBar::setTranslucent(bool translucent)
{
    _translucent = translucent;
    setNeedsDisplay();
}

void UINavigationBar::setBarStyle(UIBarStyle style)
{
    _barStyle = style;
    setNeedsDisplay();
}

void UINavigationBar::setBarTintColor(std::optional<UIColor> color)
{
    _barTintColor = color;
    setNeedsDisplay();
}

void UINavigationBar::setTitleTextAttributes(NSDictionary attributes)
{
    _titleTextAttributes = std::move(attributes);
    setNeedsDisplay();
}

void UINavigationBar::setItems(std::vector<std::shared_ptr<UINavigationItem>> items)
{
    _items = std::move(items);
    _tracked = _pressed = nullptr;
    setNeedsDisplay();
}

UIBarPosition UINavigationBar::barPosition()
{
    if (auto* positioning = dynamic_cast<UIBarPositioningDelegate*>(_delegate))
        return positioning->positionForBar(*this);
    return UIBarPositionAny;
}

UIColor UINavigationBar::titleColor() const
{
    if (auto* color = valueForKey<UIColor>(_titleTextAttributes, NSForegroundColorAttributeName))
        return *color;
    return _barStyle == UIBarStyleBlack ? UIColor::whiteColor() : UIColor::blackColor();
}

std::optional<CGRect> UINavigationBar::frameForBarButtonItem(const UIBarButtonItem* item) const
{
    auto* top = topItem();
    if (!top || !item)
        return std::nullopt;
    CGFloat contentTop = frame().size.height - kContentHeight;
    if (item == top->leftBarButtonItem())
        return CGRectMake(kItemInset, contentTop, itemWidth(item->title()), kContentHeight);
    if (item == top->rightBarButtonItem()) {
        CGFloat width = itemWidth(item->title());
        return CGRectMake(frame().size.width - kItemInset - width, contentTop, width, kContentHeight);
    }
    return std::nullopt;
}

UIBarButtonItem* UINavigationBar::itemAt(CGPoint location) const
{
    auto* top = topItem();
    if (!top)
        return nullptr;
    for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
        if (!item)
            continue;
        // A little slack around the title, as a finger is not a pointer.
        if (auto rect = frameForBarButtonItem(item)) {
            CGRect slack = CGRectMake(rect->minX() - kItemInset, rect->minY(), rect->size.width + 2 * kItemInset,
                rect->size.height);
            if (CGRectContainsPoint(slack, location))
                return item;
        }
    }
    return nullptr;
}

void UINavigationBar::touchesBegan(CGPoint location)
{
    _tracked = itemAt(location);
    _pressed = _tracked;
    setNeedsDisplay();
}

void UINavigationBar::touchesMoved(CGPoint location)
{
    if (!_tracked)
        return;
    auto* under = itemAt(location) == _tracked ? _tracked : nullptr;
    if (under != _pressed) {
        _pressed = under;
        setNeedsDisplay();
    }
}

void UINavigationBar::touchesEnded(CGPoint location)
{
    auto* tracked = _tracked;
    _tracked = _pressed = nullptr;
    setNeedsDisplay();
    if (!tracked || itemAt(location) != tracked)
        return;
    // The action may replace the items; keep the item alive while it runs.
    auto keepAlive = tracked->retainSelf<UIBarButtonItem>();
    auto keepBar = retainSelf();
    keepAlive->sendAction();
}

bool UINavigationBar::accessibilityPerformEscape()
{
    auto* item = topItem();
    auto* left = item ? item->leftBarButtonItem() : nullptr;
    if (!left)
        return false;
    auto keepAlive = left->retainSelf<UIBarButtonItem>();
    auto keepBar = retainSelf();
    keepAlive->sendAction();
    return true;
}

void UINavigationBar::touchesCancelled()
{
    _tracked = _pressed = nullptr;
    setNeedsDisplay();
}

void UINavigationBar::drawContent(render::Painter& painter)
{
    CGRect b = bounds();
    render::RGBA fill;
    if (_barStyle == UIBarStyleBlack && !_barTintColor)
        fill = { 0, 0, 0, 1 };
    else if (_barTintColor)
        fill = toRGBA(*_barTintColor);
    else
        fill = { 0.97, 0.97, 0.97, 1 };
    if (_translucent) {
        fill.a *= 0.9;
        painter.blurRegion({ 0, 0, b.size.width, b.size.height }, kBackdropBlurRadius);
    }
    painter.fillRect({ 0, 0, b.size.width, b.size.height }, fill);
    render::RGBA hairline = _barStyle == UIBarStyleBlack ? render::RGBA { 0.2, 0.2, 0.2, 1 }
                                                         : render::RGBA { 0, 0, 0, 0.3 };
    painter.line(0, b.size.height - 0.25, b.size.width, b.size.height - 0.25, 0.5, hairline);

    auto* top = topItem();
    if (!top)
        return;
    CGFloat contentTop = b.size.height - kContentHeight;
    if (!top->title().isEmpty()) {
        render::TextStyle style;
        style.font = toRenderFont(UIFont::boldSystemFontOfSize(kTitleSize));
        style.color = toRGBA(titleColor());
        style.alignment = render::TextAlignment::Center;
        // The title keeps clear of the bar buttons.
        CGFloat inset = 8;
        for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
            if (auto rect = frameForBarButtonItem(item))
                inset = std::max(inset, rect->size.width + 2 * kItemInset);
        }
        painter.drawText(top->title().utf8(), { inset, contentTop, b.size.width - 2 * inset, kContentHeight }, style);
    }
    for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
        auto rect = frameForBarButtonItem(item);
        if (!rect)
            continue;
        render::TextStyle style = itemStyle();
        style.color = toRGBA(kSystemTintColor);
        if (item == _pressed)
            style.color.a *= kPressedOpacity;
        painter.drawText(item->title().utf8(), { rect->minX(), rect->minY(), rect->size.width, rect->size.height },
            style);
    }
}

namespace {

UIPropertyValue describeBarButtonItem(const UIBarButtonItem* item)
{
    if (!item)
        return nullptr;
    UIPropertyValue value;
    value.set("title", item->title().utf8());
    value.set("style", int64_t(item->style()));
    return value;
}

} // namespace

void UINavigationBar::describe(UIViewDescription& description) const
{
    UIView::describe(description);
    description.set("barStyle", int64_t(_barStyle));
    description.set("translucent", _translucent);
    description.set("barTintColor", describeColor(_barTintColor));
    auto attributes = UIPropertyValue::map();
    if (auto* foreground = valueForKey<UIColor>(_titleTextAttributes, NSForegroundColorAttributeName))
        attributes.set("NSForegroundColorAttributeName", describeColor(*foreground));
    description.set("titleTextAttributes", std::move(attributes));
    auto items = UIPropertyValue::list();
    for (auto& item : _items) {
        UIPropertyValue entry;
        entry.set("title", item->title().utf8());
        entry.set("leftBarButtonItem", describeBarButtonItem(item->leftBarButtonItem()));
        entry.set("rightBarButtonItem", describeBarButtonItem(item->rightBarButtonItem()));
        items.append(std::move(entry));
    }
    description.set("items", std::move(items));

    auto* top = topItem();
    if (!top)
        return;
    description.consoleLine = consoleLine("bar", { consoleQuoted(top->title().utf8()) });
    if (auto* left = top->leftBarButtonItem())
        description.consoleLine += "  left: " + consoleQuoted(left->title().utf8());
    if (auto* right = top->rightBarButtonItem())
        description.consoleLine += "  right: " + consoleQuoted(right->title().utf8());
    // The bar buttons are no views of their own, but a finger can aim at each.
    for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
        if (auto rect = frameForBarButtonItem(item))
            description.parts.push_back({ item->title().utf8(), *rect, "UIBarButtonItem \"" + item->title().utf8() + "\"", item });
    }
}
