#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/DeviceProfile.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/render/Painter.h"
#include "platform/system/System.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
        NSRunLoop::mainRunLoop().discardQueuedWork();
        CAAnimationEngine::shared().reset();
        setDeviceRoot(_root.string());
        NSUserDefaults::resetStandardUserDefaults();
        UIScreen::mainScreen().configure({ CGFloat(device.width), CGFloat(device.height) }, CGFloat(device.scale));
        System::setCurrent(std::make_shared<RecordingSystem>());
        _application = std::dynamic_pointer_cast<UIApplication>(NSCreateInstanceOfClass("Zentrova3Application"));
        if (!_application) {
            std::fputs("no application class\n", stderr);
            std::abort();
        }
        UIApplication::setSharedApplication(_application.get());
        _application->setDelegate(dynamic_cast<UIApplicationDelegate*>(_application.get()));
        _application->setStatusBarTimeText("9:41");
        _application->delegate()->applicationDidFinishLaunching(*_application);
        settle();
    }

    ~LaunchedApp()
    {
        NSRunLoop::mainRunLoop().discardQueuedWork();
        CAAnimationEngine::shared().reset();
        UIApplication::setSharedApplication(nullptr);
        _application.reset();
        NSNotificationCenter::defaultCenter().removeAllObservers();
        System::setCurrent(nullptr);
        NSUserDefaults::resetStandardUserDefaults();
        setDeviceRoot("/");
        std::error_code error;
        std::filesystem::remove_all(_root, error);
    }

    UIApplication& application() { return *_application; }

private:
    // Runs the launch's queued work and animations to their end.
    static void settle()
    {
        auto& loop = NSRunLoop::mainRunLoop();
        auto& engine = CAAnimationEngine::shared();
        for (int round = 0; round < 1000 && (loop.hasQueuedWork() || engine.isAnimating()); ++round) {
            loop.drainQueue();
            engine.finishAll();
        }
    }

    std::filesystem::path _root;
    std::shared_ptr<UIApplication> _application;
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
        benchmark::RegisterBenchmark(("BM_BlankFrame/" + device.name).c_str(), blankFrame, device)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
