#pragma once

#include "platform/host/DeviceProfile.h"

#include <optional>
#include <string>
#include <vector>

// The options every program of the platform takes; UIApplicationMain reads them.
struct HostOptions {
    DeviceProfile device;
    std::string root = "/";
    bool dryRun = false;
    bool headless = false;
    std::optional<std::string> scriptPath;
    std::optional<std::string> screenshotPath;
    std::optional<std::string> statusTime;
    bool help = false;
};

struct HostOptionsResult {
    std::optional<HostOptions> options;
    std::string error;
};

HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments);
std::string hostUsage(const std::string& program);
