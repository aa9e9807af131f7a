#include "prefs/Theme.h"

#include "prefs/Preferences.h"

Theme Theme::stored()
{
    return fromLightSwitch(readPreference(kLightSwitchKey));
}
