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
    // The scale --scale gave: the window then opens at it, whatever the display.
    std::optional<double> forcedScale;
    // Where the window writes what the user does, as a script that replays it.
    std::optional<std::string> recordPath;
    bool help = false;
    bool version = false;
};

// A screen given with --screen is this many points wide and high at least and at most, and a
// scale lies between these: every frame then fits in memory and on a painter's surface.
inline constexpr double kMinimumScreenPoints = 240;
inline constexpr double kMaximumScreenPoints = 4096;
inline constexpr double kMinimumScale = 1;
inline constexpr double kMaximumScale = 4;

struct HostOptionsResult {
    std::optional<HostOptions> options;
    std::string error;
};

// Parses and checks every option before anything runs: numbers whole and in range, the device
// root an existing folder, output files writable, each option at most once. A value follows its
// option as the next argument or after '=' (--device=ipad). Errors are one line, with the
// argument quoted and cut short; a mistyped option is answered with the one it most likely meant.
HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments);
std::string hostUsage(const std::string& program);
// What --version prints: the program, the app it belongs to and the app's version.
std::string hostVersion(const std::string& program);
// The name a program goes by in its messages: the last part of the path it was started by.
std::string hostProgramName(const std::vector<std::string>& arguments);
