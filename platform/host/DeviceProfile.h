#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// A simulated device: its screen in points and its scale, and the name a person knows it by.
struct DeviceProfile {
    std::string name;
    double width = 0;
    double height = 0;
    double scale = 1;
    std::string displayName;
};

std::span<const DeviceProfile> deviceProfiles();
std::optional<DeviceProfile> deviceProfileNamed(std::string_view name);
inline constexpr std::string_view kDefaultDeviceName = "iphone-5s";
