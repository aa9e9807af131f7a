#include "platform/host/DeviceProfile.h"

#include <array>

namespace {

const std::array<DeviceProfile, 5> kProfiles { {
    { "iphone-4s", 320, 480, 2 },
    { "iphone-5s", 320, 568, 2 },
    { "iphone-6", 375, 667, 2 },
    { "ipad", 768, 1024, 2 },
    { "ipad-landscape", 1024, 768, 2 },
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
