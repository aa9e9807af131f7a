#include "prefs/Preferences.h"

#include "platform/foundation/NSUserDefaults.h"

bool readPreference(const NSString& key)
{
    return NSUserDefaults::standardUserDefaults().boolForKey(key);
}

void writePreference(bool value, const NSString& key)
{
    auto& defaults = NSUserDefaults::standardUserDefaults();
    defaults.setBool(value, key);
    defaults.synchronize();
}
