#include "platform/host/HostOptions.h"
#include "platform/host/MessageText.h"

#include <cstdlib>

// Arguments are separated by NUL bytes. Whatever they are, the options are refused with one short
// printable line, or accepted within their bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments { "Zentrova" };
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    arguments.push_back(current);
    auto result = parseHostOptions(arguments);
    if (!result.options) {
        if (result.error.empty() || result.error.size() > 400)
            std::abort();
        for (unsigned char c : result.error) {
            if (c < 0x20 || c >= 0x7F)
                std::abort();
        }
        return 0;
    }
    auto& device = result.options->device;
    if (device.name == "custom"
        && (device.width < kMinimumScreenPoints || device.width > kMaximumScreenPoints
            || device.height < kMinimumScreenPoints || device.height > kMaximumScreenPoints))
        std::abort();
    if (device.scale < kMinimumScale || device.scale > kMaximumScale)
        std::abort();
    quotedForMessage(current);
    return 0;
}
