#include "platform/foundation/NSLog.h"

#include "platform/foundation/NSObject.h"

#include <cstdio>

void NSLog(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
}

std::string NSLogDescription(const NSObject* object)
{
    if (!object)
        return "(null)";
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(object));
    return std::string("<") + object->className() + ": " + address + ">";
}
