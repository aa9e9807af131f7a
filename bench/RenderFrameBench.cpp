#include "platform/host/Automation.h"
#include "platform/host/DeviceProfile.h"
#include "platform/host/HostedApplication.h"
#include "platform/render/Fonts.h"
#include "platform/render/Painter.h"
#include "platform/system/System.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIApplication.h"
#include "prefs/Preferences.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace {

// The app launched in this process as the headless host launches it, on a fresh device root
// with no stored preferences and the recorder behind the system seam, so nothing can reach a
// real shell.
class LaunchedApp {
public:
    explicit LaunchedApp(const DeviceProfile& device)
    {
        std::string pattern = "/tmp/zentrova-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        _root = pattern;
        HostedApplication::Setup setup;
        setup.device = device;
        setup.root = _root.string();
        setup.system = std::make_shared<RecordingSystem>();
        setup.statusTime = "9:41";
        _hosted = HostedApplication::make(setup);
        if (!_hosted) {
            std::fputs("no application class\n", stderr);
            std::abort();
        }
        _hosted->launch();
        Automation::settle();
    }

    ~LaunchedApp()
    {
        _hosted.reset();
        std::error_code error;
        std::filesystem::remove_all(_root, error);
    }

    UIApplication& application() { return _hosted->application(); }

    void writeChangelog(const std::string& bytes)
    {
        auto bundle = _root / "Applications/Zentrova.app";
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle / "CHANGELOG.txt", std::ios::binary | std::ios::trunc) << bytes;
    }

    // Taps "Changelog" and lets the screen come up, as the console's tap does.
    void openChangelog(const DeviceProfile& device)
    {
        Automation automation(application(), device, std::cerr);
        auto error = automation.tap("\"Changelog\"");
        Automation::settle();
        if (!error.empty()) {
            std::fprintf(stderr, "no changelog: %s\n", error.c_str());
            std::abort();
        }
    }

    // Turns confirmations on and presses "Respring", as a user would, so the frame holds the
    // root screen under the dimming and the alert panel's blurred backdrop.
    void showRespringAlert(const DeviceProfile& device)
    {
        NSUserDefaults::standardUserDefaults().setBool(true, kAlertSwitchKey);
        Automation automation(application(), device, std::cerr);
        auto error = automation.tap("\"Respring\"");
        Automation::settle();
        if (!error.empty() || application().shownAlerts().size() != 1) {
            std::fprintf(stderr, "no respring alert: %s\n", error.c_str());
            std::abort();
        }
    }

private:
    std::filesystem::path _root;
    std::unique_ptr<HostedApplication> _hosted;
};

// One frame as the window draws it: the whole screen at the device's scale into the painter the
// host keeps from frame to frame.
void renderFrame(benchmark::State& state, DeviceProfile device)
{
    render::configureFonts();
    LaunchedApp app(device);
    render::Painter painter(device.width, device.height, device.scale);
    for (auto _ : state) {
        app.application().renderFrame(painter);
        benchmark::DoNotOptimize(painter.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = device.width * device.height * device.scale * device.scale;
}

// The same frame with the respring confirmation up: the alert's blur is the dearest part.
void renderAlertFrame(benchmark::State& state, DeviceProfile device)
{
    render::configureFonts();
    LaunchedApp app(device);
    app.showRespringAlert(device);
    render::Painter painter(device.width, device.height, device.scale);
    for (auto _ : state) {
        app.application().renderFrame(painter);
        benchmark::DoNotOptimize(painter.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = device.width * device.height * device.scale * device.scale;
}

// Changelog files of the sizes and kinds that cost the most to open: long ones, and a mark storm.
std::string changelogOfSize(size_t bytes)
{
    const std::string paragraph
        = "- Fixed a crash when the device was rotated while an alert was shown, and a layout glitch on "
          "the settings screen where the labels overlapped the switches on smaller screens.\n"
          "- The changelog scrolls smoothly and keeps its place; text can be selected and copied.\n\n";
    std::string text;
    text.reserve(bytes + paragraph.size() * 2);
    for (int version = 0; text.size() < bytes; ++version)
        text += "Version 0." + std::to_string(version) + ":\n" + paragraph + paragraph;
    // The seven headings the screen emphasises, spread over the file.
    static constexpr const char* kHeadings[] = { "Version 3.0:", "Version 2.1:", "Version 2.0:", "Version 1.3:",
        "Version 1.2:", "Version 1.1:", "Version 1.0:" };
    for (size_t i = 0; i < 7; ++i)
        text.replace(text.find('\n', i * bytes / 7) + 1, 12, kHeadings[i]);
    text.resize(bytes);
    return text;
}

std::string markStorm()
{
    std::string text = "a";
    for (int i = 0; i < 65536; ++i)
        text += "\xCC\x81";
    return text;
}

std::string oneLine(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 5);
    while (text.size() < bytes)
        text += "word ";
    return text;
}

// A tap on "Changelog" on the launched root screen, the screen's building with the file read and
// its headings emphasised, the slide, and the first frame of the changelog at the device's scale.
void openChangelogFrame(benchmark::State& state, DeviceProfile device, const std::string& changelog)
{
    render::configureFonts();
    render::Painter painter(device.width, device.height, device.scale);
    for (auto _ : state) {
        state.PauseTiming();
        auto app = std::make_unique<LaunchedApp>(device);
        app->writeChangelog(changelog);
        app->application().renderFrame(painter);
        state.ResumeTiming();
        app->openChangelog(device);
        app->application().renderFrame(painter);
        benchmark::DoNotOptimize(painter.data());
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(changelog.size());
}

// The least any frame costs: a fresh painter cleared once, as every frame starts. Its pages are
// only mapped in when first written, so the clear is what pays for a new surface.
void blankFrame(benchmark::State& state, DeviceProfile device)
{
    render::configureFonts();
    for (auto _ : state) {
        render::Painter painter(device.width, device.height, device.scale);
        painter.clear({ 0, 0, 0, 1 });
        benchmark::DoNotOptimize(painter.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (auto& device : deviceProfiles())
        benchmark::RegisterBenchmark(("BM_RenderFrame/" + device.name).c_str(), renderFrame, device)
            ->Unit(benchmark::kMillisecond);
    for (auto& device : deviceProfiles())
        benchmark::RegisterBenchmark(("BM_RenderAlertFrame/" + device.name).c_str(), renderAlertFrame, device)
            ->Unit(benchmark::kMillisecond);
    for (auto& device : deviceProfiles())
        benchmark::RegisterBenchmark(("BM_BlankFrame/" + device.name).c_str(), blankFrame, device)
            ->Unit(benchmark::kMillisecond);
    const DeviceProfile& ipad = *std::find_if(
        deviceProfiles().begin(), deviceProfiles().end(), [](const DeviceProfile& d) { return d.name == "ipad"; });
    static const std::pair<const char*, std::string> changelogs[] = {
        { "empty", "" },
        { "1MiB", changelogOfSize(1u << 20) },
        { "16MiB", changelogOfSize((16u << 20) - 64) },
        { "marks64K", markStorm() },
        { "line16MiB", oneLine((16u << 20) - 64) },
    };
    for (auto& [name, text] : changelogs)
        benchmark::RegisterBenchmark(("BM_OpenChangelog/" + std::string(name)).c_str(), openChangelogFrame, ipad, text)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
