#include "platform/host/Automation.h"
#include "platform/host/DeviceProfile.h"
#include "platform/host/HostedApplication.h"
#include "platform/render/Painter.h"
#include "platform/system/System.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIApplication.h"
#include "prefs/Preferences.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
