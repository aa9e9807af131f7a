#pragma once

#include "platform/host/DeviceProfile.h"

#include <nlohmann/json.hpp>

class UIApplication;
class UIView;

// The whole visible state as JSON: the device, the status bar, the key window's view tree, the
// presented screens and the shown alerts. Scripts and tests rely on its shape.
nlohmann::json dumpApplicationTree(UIApplication& application, const DeviceProfile& device);
// APPLICATION, when given, marks its focused view with "focused": true (and "focusedPart", the
// text of the focused part).
nlohmann::json dumpView(const UIView& view, const UIApplication* application = nullptr);
