#include "platform/host/DeviceProfile.h"

#include <array>

namespace {

const std::array<DeviceProfile, 5> kProfiles { {
    { "iphone-4s", 320, 480, 2, "iPhone 4S" },
    { "iphone-5s", 320, 568, 2, "iPhone 5s" },
    { "iphone-6", 375, 667, 2, "iPhone 6" },
    { "ipad", 768, 1024, 2, "iPad" },
    { "ipad-landscape", 1024, 768, 2, "iPad (landscape)" },
} };

} // namespace

std::span<const DeviceProfile> deviceProfiles()
{
    return kProfiles;
}

std::optional<DeviceProfile> deviceProfileNamed(std::string_view name)
{
    for (auto& profile : kProfiles) {
        if (profile.name == name)
            return profile;
    }
    return std::nullopt;
}
