#include "platform/host/TreeDump.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITextView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>

using nlohmann::json;

namespace {

// Numbers carry at most six decimals, and whole numbers print without a fraction.
json number(double value)
{
    double rounded = std::round(value * 1e6) / 1e6;
    if (rounded == 0)
        rounded = 0;
    if (std::floor(rounded) == rounded && std::abs(rounded) < 1e15)
        return static_cast<int64_t>(rounded);
    return rounded;
}

json rect(const CGRect& r)
{
    return json::array({ number(r.origin.x), number(r.origin.y), number(r.size.width), number(r.size.height) });
}

json color(const UIColor& c)
{
    return json::array({ number(c.red()), number(c.green()), number(c.blue()), number(c.alpha()) });
}

json color(const std::optional<UIColor>& c)
{
    return c ? color(*c) : json(nullptr);
}

json font(const UIFont& f)
{
    return { { "name", f.fontName().utf8() }, { "size", number(f.pointSize()) }, { "bold", f.isBold() } };
}

json barButtonItem(const UIBarButtonItem* item)
{
    if (!item)
        return nullptr;
    return { { "title", item->title().utf8() }, { "style", static_cast<int64_t>(item->style()) } };
}

const char* attributeName(NSLayoutAttribute attribute)
{
    switch (attribute) {
    case NSLayoutAttributeLeft:
        return "left";
    case NSLayoutAttributeRight:
        return "right";
    case NSLayoutAttributeTop:
        return "top";
    case NSLayoutAttributeBottom:
        return "bottom";
    case NSLayoutAttributeLeading:
        return "leading";
    case NSLayoutAttributeTrailing:
        return "trailing";
    case NSLayoutAttributeWidth:
        return "width";
    case NSLayoutAttributeHeight:
        return "height";
    case NSLayoutAttributeNotAnAttribute:
        break;
    }
    return "notAnAttribute";
}

void addKindProperties(const UIView& view, json& node)
{
    if (auto* button = dynamic_cast<const UIButton*>(&view)) {
        node["buttonType"] = static_cast<int64_t>(button->buttonType());
        node["title"] = button->titleForState(UIControlStateNormal) ? json(button->titleForState(UIControlStateNormal)->utf8())
                                                                    : json(nullptr);
        node["titleColor"] = color(button->titleColorForState(UIControlStateNormal));
        node["font"] = font(button->titleLabel()->font());
        if (auto image = button->imageForState(UIControlStateNormal))
            node["image"] = { { "width", number(image->size().width) }, { "height", number(image->size().height) } };
        else
            node["image"] = nullptr;
    } else if (auto* bar = dynamic_cast<const UINavigationBar*>(&view)) {
        node["barStyle"] = static_cast<int64_t>(bar->barStyle());
        node["translucent"] = bar->isTranslucent();
        node["barTintColor"] = color(bar->barTintColor());
        json attributes = json::object();
        if (auto* foreground = valueForKey<UIColor>(bar->titleTextAttributes(), NSForegroundColorAttributeName))
            attributes["NSForegroundColorAttributeName"] = color(*foreground);
        node["titleTextAttributes"] = attributes;
        json items = json::array();
        for (auto& item : bar->items()) {
            items.push_back({ { "title", item->title().utf8() }, { "leftBarButtonItem", barButtonItem(item->leftBarButtonItem()) },
                { "rightBarButtonItem", barButtonItem(item->rightBarButtonItem()) } });
        }
        node["items"] = items;
    } else if (auto* label = dynamic_cast<const UILabel*>(&view)) {
        node["text"] = label->text().utf8();
        node["textColor"] = color(label->textColor());
        node["font"] = font(label->font());
        node["textAlignment"] = static_cast<int64_t>(label->textAlignment());
    } else if (auto* toggle = dynamic_cast<const UISwitch*>(&view)) {
        node["on"] = toggle->isOn();
    } else if (auto* text = dynamic_cast<const UITextView*>(&view)) {
        node["text"] = text->text().utf8();
        node["textColor"] = color(text->textColor());
        node["font"] = text->font() ? font(*text->font()) : json(nullptr);
        node["textAlignment"] = static_cast<int64_t>(text->textAlignment());
        node["editable"] = text->isEditable();
        node["userInteractionEnabled"] = text->isUserInteractionEnabled();
        node["clipsToBounds"] = text->clipsToBounds();
        json runs = json::array();
        for (auto& run : text->attributeRuns()) {
            json entry = { { "range", json::array({ number(double(run.range.location)), number(double(run.range.length)) }) } };
            if (run.font)
                entry["font"] = font(*run.font);
            if (run.color)
                entry["color"] = color(*run.color);
            runs.push_back(entry);
        }
        node["attributeRuns"] = runs;
    }
}

} // namespace

json dumpView(const UIView& view)
{
    json node;
    node["class"] = view.className();
    if (!view.accessibilityIdentifier().isEmpty())
        node["id"] = view.accessibilityIdentifier().utf8();
    if (auto* controller = view.viewController())
        node["controller"] = controller->className();
    node["frame"] = rect(view.frame());
    node["hidden"] = view.isHidden();
    node["backgroundColor"] = color(view.backgroundColor());
    addKindProperties(view, node);
    if (!view.constraints().empty()) {
        json constraints = json::array();
        for (auto& constraint : view.constraints()) {
            auto* item = constraint->firstItem();
            constraints.push_back({
                { "firstItem", item && !item->accessibilityIdentifier().isEmpty() ? json(item->accessibilityIdentifier().utf8()) : json(nullptr) },
                { "firstAttribute", attributeName(constraint->firstAttribute()) },
                { "relation", static_cast<int64_t>(constraint->relation()) },
                { "constant", number(constraint->constant()) },
                { "multiplier", number(constraint->multiplier()) },
            });
        }
        node["constraints"] = constraints;
    }
    auto animations = view.layer().addedAnimations();
    if (!animations.empty()) {
        json list = json::array();
        for (auto& added : animations) {
            json entry = { { "key", added.key.utf8() }, { "duration", number(added.animation->duration()) } };
            if (auto* transition = dynamic_cast<const CATransition*>(added.animation.get())) {
                entry["type"] = transition->type().utf8();
                entry["subtype"] = transition->subtype().utf8();
            }
            list.push_back(entry);
        }
        node["layerAnimations"] = list;
    }
    json subviews = json::array();
    for (auto& subview : view.subviews())
        subviews.push_back(dumpView(*subview));
    node["subviews"] = subviews;
    return node;
}

json dumpApplicationTree(UIApplication& application, const DeviceProfile& device)
{
    application.layoutIfNeeded();
    auto& screen = UIScreen::mainScreen();
    json tree;
    tree["device"] = { { "name", device.name }, { "bounds", rect(screen.bounds()) },
        { "applicationFrame", rect(screen.applicationFrame()) }, { "scale", number(screen.scale()) } };
    tree["statusBar"] = { { "style", static_cast<int64_t>(application.statusBarStyle()) } };
    auto* window = application.keyWindow();
    tree["keyWindow"] = window ? dumpView(*window) : json(nullptr);
    json presented = json::array();
    for (auto& presentation : application.presentations()) {
        if (presentation.dismissing)
            continue;
        auto view = presentation.controller->viewIfLoaded();
        presented.push_back({ { "class", presentation.controller->className() },
            { "modalPresentationStyle", static_cast<int64_t>(presentation.controller->modalPresentationStyle()) },
            { "view", view ? dumpView(*view) : json(nullptr) } });
    }
    tree["presented"] = presented;
    json alerts = json::array();
    for (auto& alert : application.shownAlerts()) {
        json buttons = json::array();
        for (auto& title : alert->buttonTitles())
            buttons.push_back(title.utf8());
        alerts.push_back({ { "title", alert->title().utf8() }, { "message", alert->message().utf8() }, { "buttons", buttons },
            { "cancelButtonIndex", static_cast<int64_t>(alert->cancelButtonIndex()) }, { "tag", static_cast<int64_t>(alert->tag()) } });
    }
    tree["alerts"] = alerts;
    return tree;
}
