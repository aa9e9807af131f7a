#include "platform/uikit/UINavigationBar.h"

#include "platform/uikit/UIKitLook.h"
#include "platform/uikit/UIKitRendering.h"
#include "platform/uikit/UIViewDescription.h"

#include <cmath>

namespace {

constexpr CGFloat kContentHeight = 44;

// Bar buttons are measured with the engine that draws them, and take whole points so that a
// bordered button's edges fall on whole pixels.
CGFloat itemWidth(const NSString& title)
{
    const UIKitLook& look = UIKitLook::current();
    render::TextStyle style;
    style.font = toRenderFont(look.barItemFont);
    style.lineBreak = render::LineBreak::SingleLineClip;
    CGFloat text = CGFloat(render::measureText(title.utf8(), style).width);
    return look.barItemPadding > 0 ? std::ceil(text + 2 * look.barItemPadding) : text;
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
    const UIKitLook& look = UIKitLook::current();
    CGFloat itemTop = frame().size.height - kContentHeight + (kContentHeight - look.barItemHeight) / 2;
    if (item == top->leftBarButtonItem())
        return CGRectMake(look.barItemInset, itemTop, itemWidth(item->title()), look.barItemHeight);
    if (item == top->rightBarButtonItem()) {
        CGFloat width = itemWidth(item->title());
        return CGRectMake(frame().size.width - look.barItemInset - width, itemTop, width, look.barItemHeight);
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
            CGFloat inset = UIKitLook::current().barItemInset;
            CGFloat contentTop = frame().size.height - kContentHeight;
            CGRect slack = CGRectMake(rect->minX() - inset, contentTop, rect->size.width + 2 * inset, kContentHeight);
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
    const UIKitLook& look = UIKitLook::current();
    UIBarAppearance appearance { b.size, _barStyle == UIBarStyleBlack, _translucent, _barTintColor };
    UIKitLookDrawing::drawNavigationBar(painter, appearance);

    auto* top = topItem();
    if (!top)
        return;
    CGFloat contentTop = b.size.height - kContentHeight;
    if (!top->title().isEmpty()) {
        render::TextStyle style;
        style.font = toRenderFont(look.barTitleFont);
        style.color = toRGBA(titleColor());
        style.alignment = render::TextAlignment::Center;
        if (look.titleShadowColor)
            style.shadow = render::TextShadow { toRGBA(*look.titleShadowColor), 0, -1 };
        // The title keeps clear of the bar buttons.
        CGFloat inset = 8;
        for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
            if (auto rect = frameForBarButtonItem(item))
                inset = std::max(inset, rect->size.width + 2 * look.barItemInset);
        }
        painter.drawText(top->title().utf8(), { inset, contentTop, b.size.width - 2 * inset, kContentHeight }, style);
    }
    for (auto* item : { top->leftBarButtonItem(), top->rightBarButtonItem() }) {
        if (auto rect = frameForBarButtonItem(item))
            UIKitLookDrawing::drawBarButtonItem(painter, appearance, *rect, item->title(), item == _pressed);
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
