#include "platform/foundation/NSUserDefaults.h"

#include "tests/support/SimulatedDisk.h"

#include <cstdlib>

// Any file the app may find in place of its preferences loads (as the keys it holds, or none),
// and the next write succeeds and is read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto disk = std::make_shared<SimulatedDisk>();
    disk->addFolder("/prefs");
    disk->addFile("/prefs/fuzz.plist", std::string(reinterpret_cast<const char*>(data), size));
    auto store = NSUserDefaults::create("/prefs/fuzz.plist", disk);
    bool light = store->boolForKey("lightSwitch");
    store->setBool(!light, "lightSwitch");
    if (!store->synchronize())
        std::abort();
    if (NSUserDefaults::create("/prefs/fuzz.plist", disk)->boolForKey("lightSwitch") != !light)
        std::abort();
    return 0;
}
