#include "platform/host/HostOptions.h"

#include "platform/host/MessageText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A whole decimal number, finite, with nothing before or after it.
std::optional<double> parseNumber(std::string_view text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> parseInRange(std::string_view text, double minimum, double maximum)
{
    auto value = parseNumber(text);
    if (!value || *value < minimum || *value > maximum)
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

std::string number(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

// The device root must be a folder that the user can look into; anything else would only fail
// later, and quietly, when the app reads its files.
std::string checkRootFolder(const std::string& root)
{
    struct stat info { };
    if (stat(root.c_str(), &info) != 0)
        return "--root " + quotedForMessage(root) + ": no such folder";
    if (!S_ISDIR(info.st_mode))
        return "--root " + quotedForMessage(root) + " is not a folder";
    if (faccessat(AT_FDCWD, root.c_str(), X_OK, AT_EACCESS) != 0)
        return "--root " + quotedForMessage(root) + ": permission denied";
    return "";
}

// The file is written at the end; its folder must be there from the start.
std::string checkOutputFile(const std::string& option, const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return option + " needs a file name";
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info { };
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return option + " " + quotedForMessage(path) + ": no such folder";
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return option + " " + quotedForMessage(path) + " is a folder";
    return "";
}

} // namespace

std::string hostUsage(const std::string& program)
{
    std::ostringstream out;
    out << "usage: " << program
        << " [--device NAME | --screen WxH] [--scale N] [--root DIR] [--dry-run] [--headless]\n"
           "       [--script FILE] [--screenshot FILE] [--status-time HH:MM] [--record FILE] [--help]\n"
           "devices:";
    for (auto& profile : deviceProfiles())
        out << ' ' << profile.name << " (" << profile.width << 'x' << profile.height << ')';
    out << "; default " << kDefaultDeviceName << "\n";
    out << "--screen takes " << kMinimumScreenPoints << " to " << kMaximumScreenPoints
        << " points each way; --scale " << kMinimumScale << " to " << kMaximumScale << "\n";
    out << "headless, commands come from --script FILE or standard input: a file is checked whole first,\n"
           "a pipe runs each line as it arrives, a terminal gets the console\n";
    return out.str();
}

std::string hostProgramName(const std::vector<std::string>& arguments)
{
    std::string program = arguments.empty() ? "Zentrova" : arguments[0];
    if (auto slash = program.rfind('/'); slash != std::string::npos)
        program = program.substr(slash + 1);
    return program;
}

HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments)
{
    HostOptions options;
    options.device = *deviceProfileNamed(kDefaultDeviceName);
    std::optional<double> scale;
    std::set<std::string> given;
    auto fail = [](std::string message) { return HostOptionsResult { std::nullopt, std::move(message) }; };
    for (size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i] == "-h" ? "--help" : arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        auto missing = [&] { return fail(argument + " needs a value"); };
        bool known = true;
        if (argument == "--help") {
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
                return fail("unknown device " + quotedForMessage(*name));
            options.device = *profile;
        } else if (argument == "--screen") {
            auto size = value();
            if (!size)
                return missing();
            auto x = size->find('x');
            std::string_view text(*size);
            auto width = x == std::string::npos ? std::nullopt
                                                : parseInRange(text.substr(0, x), kMinimumScreenPoints, kMaximumScreenPoints);
            auto height = x == std::string::npos ? std::nullopt
                                                 : parseInRange(text.substr(x + 1), kMinimumScreenPoints, kMaximumScreenPoints);
            if (!width || !height)
                return fail("--screen takes WIDTHxHEIGHT in points, each from " + number(kMinimumScreenPoints) + " to "
                    + number(kMaximumScreenPoints) + ", not " + quotedForMessage(*size));
            options.device = { "custom", *width, *height, options.device.scale,
                "Custom " + number(*width) + "x" + number(*height) };
        } else if (argument == "--scale") {
            auto text = value();
            if (!text)
                return missing();
            scale = parseInRange(*text, kMinimumScale, kMaximumScale);
            if (!scale)
                return fail("--scale takes a number from " + number(kMinimumScale) + " to " + number(kMaximumScale)
                    + ", not " + quotedForMessage(*text));
        } else if (argument == "--root") {
            auto root = value();
            if (!root || root->empty())
                return missing();
            if (auto problem = checkRootFolder(*root); !problem.empty())
                return fail(problem);
            options.root = *root;
        } else if (argument == "--script") {
            auto path = value();
            if (!path || path->empty())
                return missing();
            options.scriptPath = *path;
            options.headless = true;
        } else if (argument == "--screenshot") {
            auto path = value();
            if (!path)
                return missing();
            if (auto problem = checkOutputFile(argument, *path); !problem.empty())
                return fail(problem);
            options.screenshotPath = *path;
            options.headless = true;
        } else if (argument == "--record") {
            auto path = value();
            if (!path)
                return missing();
            if (auto problem = checkOutputFile(argument, *path); !problem.empty())
                return fail(problem);
            options.recordPath = *path;
        } else if (argument == "--status-time") {
            auto time = value();
            if (!time)
                return missing();
            if (!isClockTime(*time))
                return fail("--status-time takes HH:MM, not " + quotedForMessage(*time));
            options.statusTime = *time;
        } else {
            known = false;
        }
        if (!known)
            return fail("unknown option " + quotedForMessage(argument));
        // A second occurrence would silently win over the first; say so instead.
        if (!given.insert(argument).second)
            return fail(argument + " is given more than once");
    }
    if (given.contains("--device") && given.contains("--screen"))
        return fail("--device and --screen cannot be used together");
    // A recording is of what a person does in the window; the other ways of running have no one.
    for (auto headless : { "--headless", "--script", "--screenshot" }) {
        if (given.contains("--record") && given.contains(headless))
            return fail(std::string("--record records the window and cannot be used with ") + headless);
    }
    if (scale) {
        options.device.scale = *scale;
        options.forcedScale = *scale;
    }
    return { options, "" };
}

ScriptFileResult readScriptFile(const std::string& path)
{
    auto fail = [&](const std::string& why) {
        return ScriptFileResult { std::nullopt, "cannot read script " + quotedForMessage(path) + ": " + why };
    };
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(errno == ENOENT ? "no such file" : errno == EACCES ? "permission denied" : "cannot open");
    struct stat info { };
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
        close(fd);
        return fail("not a file or a pipe");
    }
    std::string text;
    char buffer[16384];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            close(fd);
            return fail("read error");
        }
        if (!count)
            break;
        text.append(buffer, static_cast<size_t>(count));
        if (text.size() > kMaximumScriptBytes) {
            close(fd);
            return fail("larger than " + std::to_string(kMaximumScriptBytes) + " bytes");
        }
    }
    close(fd);
    return { std::move(text), "" };
}
