#include "platform/host/HostOptions.h"

#include "platform/host/MessageText.h"

#include <algorithm>

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

std::string setDevice(HostOptions& options, const std::string& name)
{
    auto profile = deviceProfileNamed(name);
    if (!profile)
        return "unknown device " + quotedForMessage(name);
    options.device = *profile;
    return "";
}

std::string setScreen(HostOptions& options, const std::string& size)
{
    auto x = size.find('x');
    std::string_view text(size);
    auto width = x == std::string::npos ? std::nullopt : parseInRange(text.substr(0, x), kMinimumScreenPoints, kMaximumScreenPoints);
    auto height = x == std::string::npos ? std::nullopt : parseInRange(text.substr(x + 1), kMinimumScreenPoints, kMaximumScreenPoints);
    if (!width || !height)
        return "--screen takes WIDTHxHEIGHT in points, each from " + number(kMinimumScreenPoints) + " to "
            + number(kMaximumScreenPoints) + ", not " + quotedForMessage(size);
    options.device = { "custom", *width, *height, options.device.scale, "Custom " + number(*width) + "x" + number(*height) };
    return "";
}

std::string setScale(HostOptions& options, const std::string& text)
{
    options.forcedScale = parseInRange(text, kMinimumScale, kMaximumScale);
    if (!options.forcedScale)
        return "--scale takes a number from " + number(kMinimumScale) + " to " + number(kMaximumScale) + ", not "
            + quotedForMessage(text);
    return "";
}

std::string setRoot(HostOptions& options, const std::string& root)
{
    options.root = root;
    return checkRootFolder(root);
}

std::string setStatusTime(HostOptions& options, const std::string& time)
{
    options.statusTime = time;
    return isClockTime(time) ? "" : "--status-time takes HH:MM, not " + quotedForMessage(time);
}

template <bool HostOptions::*flag>
std::string setFlag(HostOptions& options, const std::string&)
{
    options.*flag = true;
    return "";
}

// A file to read or write; the script and the screenshot are headless ways of running.
template <std::optional<std::string> HostOptions::*path, bool headless>
std::string setPath(HostOptions& options, const std::string& value)
{
    options.*path = value;
    options.headless = options.headless || headless;
    return "";
}

// How --help lays an option out: in brackets of its own, or sharing them with the next (the two
// exclude each other), or last on its line.
enum class Usage { Own, OrNext, EndsLine };

// Every option: its name, what its value is called in --help (none when it takes none), whether
// an empty value counts as none, and how it is read.
struct KnownOption {
    std::string_view name;
    std::string_view valueName;
    bool needsText;
    std::string (*apply)(HostOptions& options, const std::string& value);
    Usage usage = Usage::Own;

    bool takesValue() const { return !valueName.empty(); }
};
constexpr KnownOption kOptions[] = {
    { "--device", "NAME", false, setDevice, Usage::OrNext },
    { "--screen", "WxH", false, setScreen },
    { "--scale", "N", false, setScale },
    { "--root", "DIR", true, setRoot },
    { "--dry-run", "", false, setFlag<&HostOptions::dryRun> },
    { "--headless", "", false, setFlag<&HostOptions::headless>, Usage::EndsLine },
    { "--script", "FILE", true, setPath<&HostOptions::scriptPath, true> },
    { "--screenshot", "FILE", true, setPath<&HostOptions::screenshotPath, true> },
    { "--status-time", "HH:MM", false, setStatusTime },
    { "--record", "FILE", true, setPath<&HostOptions::recordPath, false> },
    { "--help", "", false, setFlag<&HostOptions::help> },
    { "--version", "", false, setFlag<&HostOptions::version> },
};

const KnownOption* optionNamed(std::string_view name)
{
    for (auto& option : kOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

// How many single-character edits (insertions, deletions, changes, swaps of two neighbours) turn
// one word into the other.
size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({ d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change });
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// The option a mistyped name was most likely meant to be: a few edits away, or the one option it
// begins. None when nothing is close.
std::optional<std::string_view> closestOption(std::string_view name)
{
    if (name.size() > 40)
        return std::nullopt;
    std::optional<std::string_view> best;
    size_t bestDistance = 3;
    size_t prefixed = 0;
    std::string_view prefixOf;
    for (auto& option : kOptions) {
        size_t distance = editDistance(name, option.name);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = option.name;
        }
        if (name.size() >= 4 && option.name.starts_with(name)) {
            ++prefixed;
            prefixOf = option.name;
        }
    }
    if (!best && prefixed == 1)
        return prefixOf;
    return best;
}

} // namespace

std::string hostUsage(const std::string& program)
{
    std::ostringstream out;
    out << "usage: " << program;
    bool sharing = false;
    for (auto& option : kOptions) {
        out << (sharing ? " | " : " [") << option.name;
        if (option.takesValue())
            out << ' ' << option.valueName;
        sharing = option.usage == Usage::OrNext;
        if (!sharing)
            out << ']';
        // The next line starts under the first option.
        if (option.usage == Usage::EndsLine)
            out << "\n      ";
    }
    out << "\n";
    out << "an option's value follows it (--device ipad) or is joined to it (--device=ipad)\n"
           "devices:";
    for (auto& profile : deviceProfiles())
        out << ' ' << profile.name << " (" << profile.width << 'x' << profile.height << ')';
    out << "; default " << kDefaultDeviceName << "\n";
    out << "--screen takes " << kMinimumScreenPoints << " to " << kMaximumScreenPoints
        << " points each way; --scale " << kMinimumScale << " to " << kMaximumScale << "\n";
    out << "--root is the folder the app's files are read from and written under; without it, /\n";
    out << "headless, commands come from --script FILE or standard input: a file is checked whole first,\n"
           "a pipe runs each line as it arrives, a terminal gets the console\n";
    return out.str();
}

std::string hostVersion(const std::string& program)
{
    std::string name = ZENTROVA_NAME;
    return (program == name ? name : program + " (" + name + ")") + " " + ZENTROVA_VERSION + "\n";
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
    std::set<std::string> given;
    auto fail = [](std::string message) { return HostOptionsResult { std::nullopt, std::move(message) }; };
    for (size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i] == "-h" ? "--help" : arguments[i];
        // --name=VALUE is --name VALUE in one word.
        std::optional<std::string> joined;
        if (auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            joined = argument.substr(equals + 1);
            argument.resize(equals);
        }
        auto* known = optionNamed(argument);
        if (!known) {
            if (!argument.starts_with("-"))
                return fail("unexpected argument " + quotedForMessage(argument));
            std::string message = "unknown option " + quotedForMessage(argument);
            if (auto suggestion = closestOption(argument))
                message += "; did you mean " + std::string(*suggestion) + "?";
            return fail(message);
        }
        if (joined && !known->takesValue())
            return fail(argument + " takes no value");
        std::string value;
        if (known->takesValue()) {
            if (!joined && i + 1 < arguments.size())
                joined = arguments[++i];
            if (!joined || (known->needsText && joined->empty()))
                return fail(argument + " needs a value");
            value = *joined;
        }
        if (auto problem = known->apply(options, value); !problem.empty())
            return fail(problem);
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
    if (options.forcedScale)
        options.device.scale = *options.forcedScale;
    return { options, "" };
}
