#pragma once

#include "platform/host/DeviceProfile.h"

#include <nlohmann/json.hpp>

class UIApplication;
class UIView;

// The whole visible state as JSON: the device, the status bar, the key window's view tree, the
// presented screens and the shown alerts. Scripts and tests rely on its shape.
nlohmann::json dumpApplicationTree(UIApplication& application, const DeviceProfile& device);
nlohmann::json dumpView(const UIView& view);
