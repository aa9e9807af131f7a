#pragma once

#include "platform/foundation/NSObject.h"

#include <functional>
#include <memory>
#include <string_view>

// Classes by name, as the platform finds them: the application entry is given class names, not
// types. A class registers itself with ZENTROVA_REGISTER_CLASS in its .cpp.
void NSRegisterClass(std::string_view name, std::function<std::shared_ptr<NSObject>()> factory);
// A new instance made with the class's plain initialiser, or null for an unknown name.
std::shared_ptr<NSObject> NSCreateInstanceOfClass(std::string_view name);

#define ZENTROVA_REGISTER_CLASS(Name)                                                                 \
    namespace {                                                                                       \
    const bool Name##Registered = (NSRegisterClass(#Name, [] { return std::shared_ptr<NSObject>(Name::create()); }), true); \
    }
