#include "platform/foundation/NSClassRegistry.h"

#include <map>
#include <string>

namespace {

std::map<std::string, std::function<std::shared_ptr<NSObject>()>, std::less<>>& registry()
{
    static std::map<std::string, std::function<std::shared_ptr<NSObject>()>, std::less<>> classes;
    return classes;
}

} // namespace

void NSRegisterClass(std::string_view name, std::function<std::shared_ptr<NSObject>()> factory)
{
    registry()[std::string(name)] = std::move(factory);
}

std::shared_ptr<NSObject> NSCreateInstanceOfClass(std::string_view name)
{
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second();
}
