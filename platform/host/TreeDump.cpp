#include "platform/host/TreeDump.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewDescription.h"
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

json toJSON(const UIPropertyValue& value)
{
    if (auto* flag = value.asBool())
        return *flag;
    if (auto* integer = value.asInteger())
        return *integer;
    if (auto* real = value.asNumber())
        return number(*real);
    if (auto* text = value.asString())
        return *text;
    if (auto* list = value.asList()) {
        json array = json::array();
        for (auto& entry : *list)
            array.push_back(toJSON(entry));
        return array;
    }
    if (auto* map = value.asMap()) {
        json object = json::object();
        for (auto& [key, entry] : *map)
            object[key] = toJSON(entry);
        return object;
    }
    return nullptr;
}

} // namespace

json dumpView(const UIView& view, const UIApplication* application)
{
    UIViewDescription description;
    view.describe(description);
    json node = toJSON(description.properties);
    if (application && application->focusedView() == &view) {
        node["focused"] = true;
        for (auto& part : description.parts) {
            if (part.identity == application->focusedPart())
                node["focusedPart"] = part.text;
        }
    }
    json subviews = json::array();
    for (auto& subview : view.subviews())
        subviews.push_back(dumpView(*subview, application));
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
    tree["keyWindow"] = window ? dumpView(*window, &application) : json(nullptr);
    json presented = json::array();
    for (auto& presentation : application.presentationStack().presentations()) {
        if (presentation.dismissing)
            continue;
        auto view = presentation.controller->viewIfLoaded();
        presented.push_back({ { "class", presentation.controller->className() },
            { "modalPresentationStyle", static_cast<int64_t>(presentation.controller->modalPresentationStyle()) },
            { "view", view ? dumpView(*view, &application) : json(nullptr) } });
    }
    tree["presented"] = presented;
    json alerts = json::array();
    for (auto& alert : application.shownAlerts()) {
        json buttons = json::array();
        for (auto& title : alert->buttonTitles())
            buttons.push_back(title.utf8());
        alerts.push_back({ { "title", alert->title().utf8() }, { "message", alert->message().utf8() }, { "buttons", buttons },
            { "cancelButtonIndex", static_cast<int64_t>(alert->cancelButtonIndex()) }, { "tag", static_cast<int64_t>(alert->tag()) } });
        for (NSInteger index = 0; index < alert->numberOfButtons(); ++index) {
            if (application.focusedView() && application.focusedView() == alert->buttonAtIndex(index))
                alerts.back()["focusedButton"] = static_cast<int64_t>(index);
        }
    }
    tree["alerts"] = alerts;
    json observers = json::array();
    for (auto& registration : NSNotificationCenter::defaultCenter().registrations()) {
        observers.push_back({ { "name", registration.name.utf8() }, { "observer", registration.observerClass },
            { "selector", registration.selector } });
    }
    tree["notificationObservers"] = observers;
    return tree;
}
