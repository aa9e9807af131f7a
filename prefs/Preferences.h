#pragma once

#include "platform/foundation/NSString.h"

// The app's two stored preferences, booleans in the standard user defaults. A key that was never
// written reads NO. Nothing caches them: every reader asks the store at the moment of use.
inline const NSString kLightSwitchKey = "lightSwitch";
inline const NSString kAlertSwitchKey = "alertSwitch.enabled";

bool readPreference(const NSString& key);
// Stores the value and flushes the store before returning; the result of the flush is not used.
void writePreference(bool value, const NSString& key);
