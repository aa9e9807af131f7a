#pragma once

#include "platform/foundation/NSString.h"

#include <memory>
#include <string_view>

// A controller's field for one of its views, with the field's name. A view kept in a field is
// known by that name to the tree dump and the automation (its accessibility identifier), so the
// name is written once, by the field itself.
template <typename Controller, typename Member>
struct ScreenOutlet {
    Member Controller::*field;
    std::string_view name;
};

#define ZENTROVA_OUTLET(Controller, field) \
    (ScreenOutlet<Controller, decltype(Controller::field)> { &Controller::field, #field })

// Stores a view that the view tree holds in a plain-reference field.
template <typename Controller, typename View>
View& keepInField(Controller& controller, ScreenOutlet<Controller, View*> outlet, View& view)
{
    controller.*outlet.field = &view;
    view.setAccessibilityIdentifier(NSString(outlet.name));
    return view;
}

// Stores a view the controller owns.
template <typename Controller, typename View>
View& keepInField(Controller& controller, ScreenOutlet<Controller, std::shared_ptr<View>> outlet,
    std::shared_ptr<View> view)
{
    view->setAccessibilityIdentifier(NSString(outlet.name));
    controller.*outlet.field = std::move(view);
    return *(controller.*outlet.field);
}
