#include "platform/host/HostOptions.h"

#include <charconv>
#include <sstream>

namespace {

std::optional<double> parsePositive(const std::string& text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || value > 100000)
        return std::nullopt;
    return value;
}

bool isClockTime(const std::string& text)
{
    auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != colon && (text[i] < '0' || text[i] > '9'))
            return false;
    }
    int hours = std::stoi(text.substr(0, colon));
    int minutes = std::stoi(text.substr(colon + 1));
    return hours < 24 && minutes < 60;
}

} // namespace

std::string hostUsage(const std::string& program)
{
    std::ostringstream out;
    out << "usage: " << program
        << " [--device NAME | --screen WxH] [--scale N] [--root DIR] [--dry-run] [--headless]\n"
           "       [--script FILE] [--screenshot FILE] [--status-time HH:MM] [--help]\n"
           "devices:";
    for (auto& profile : deviceProfiles())
        out << ' ' << profile.name << " (" << profile.width << 'x' << profile.height << ')';
    out << "; default " << kDefaultDeviceName << "\n";
    return out.str();
}

HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments)
{
    HostOptions options;
    options.device = *deviceProfileNamed(kDefaultDeviceName);
    std::optional<double> scale;
    bool deviceGiven = false;
    bool screenGiven = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        auto missing = [&] { return HostOptionsResult { std::nullopt, argument + " needs a value" }; };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--device") {
            auto name = value();
            if (!name)
                return missing();
            auto profile = deviceProfileNamed(*name);
            if (!profile)
                return { std::nullopt, "unknown device '" + *name + "'" };
            options.device = *profile;
            deviceGiven = true;
        } else if (argument == "--screen") {
            auto size = value();
            if (!size)
                return missing();
            auto x = size->find('x');
            auto width = x == std::string::npos ? std::nullopt : parsePositive(size->substr(0, x));
            auto height = x == std::string::npos ? std::nullopt : parsePositive(size->substr(x + 1));
            if (!width || !height)
                return { std::nullopt, "--screen takes WIDTHxHEIGHT in points, e.g. 320x480" };
            options.device = { "custom", *width, *height, options.device.scale };
            screenGiven = true;
        } else if (argument == "--scale") {
            auto text = value();
            if (!text)
                return missing();
            scale = parsePositive(*text);
            if (!scale || *scale > 4)
                return { std::nullopt, "--scale takes a number from 1 to 4" };
        } else if (argument == "--root") {
            auto root = value();
            if (!root || root->empty())
                return missing();
            options.root = *root;
        } else if (argument == "--script") {
            auto path = value();
            if (!path)
                return missing();
            options.scriptPath = *path;
            options.headless = true;
        } else if (argument == "--screenshot") {
            auto path = value();
            if (!path)
                return missing();
            options.screenshotPath = *path;
            options.headless = true;
        } else if (argument == "--status-time") {
            auto time = value();
            if (!time)
                return missing();
            if (!isClockTime(*time))
                return { std::nullopt, "--status-time takes HH:MM" };
            options.statusTime = *time;
        } else {
            return { std::nullopt, "unknown option '" + argument + "'" };
        }
    }
    if (deviceGiven && screenGiven)
        return { std::nullopt, "--device and --screen cannot be used together" };
    if (scale)
        options.device.scale = *scale;
    return { options, "" };
}
