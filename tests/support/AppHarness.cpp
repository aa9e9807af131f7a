#include "tests/support/AppHarness.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/TreeDump.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "screens/RootViewController.h"

#include <gtest/gtest.h>

void writeStoredPreferences(const std::filesystem::path& root, const std::map<std::string, bool>& values)
{
    auto file = root / "var/mobile/Library/Preferences" / (std::string(kBundleIdentifier) + ".plist");
    auto defaults = NSUserDefaults::create(file);
    for (auto& [key, value] : values)
        defaults->setBool(value, NSString(key));
    defaults->synchronize();
}

AppHarness::AppHarness()
    : AppHarness(Options())
{
}

AppHarness::AppHarness(Options options)
    : _device(*deviceProfileNamed(options.device))
    , _system(std::make_shared<RecordingSystem>())
{
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    NSNotificationCenter::defaultCenter().removeAllObservers();
    setDeviceRoot(_root.path().string());
    if (!options.preferences.empty())
        writeStoredPreferences(_root.path(), options.preferences);
    NSUserDefaults::resetStandardUserDefaults();
    UIScreen::mainScreen().configure({ CGFloat(_device.width), CGFloat(_device.height) }, CGFloat(_device.scale));
    System::setCurrent(_system);

    _application = std::dynamic_pointer_cast<Zentrova3Application>(NSCreateInstanceOfClass("Zentrova3Application"));
    UIApplication::setSharedApplication(_application.get());
    _application->setDelegate(_application.get());
    _application->setStatusBarTimeText("9:41");
    _automation = std::make_unique<Automation>(*_application, _device, _out);
    if (options.launch)
        launch();
}

AppHarness::~AppHarness()
{
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    _automation.reset();
    UIApplication::setSharedApplication(nullptr);
    _application.reset();
    NSNotificationCenter::defaultCenter().removeAllObservers();
    System::setCurrent(nullptr);
    NSUserDefaults::resetStandardUserDefaults();
    setDeviceRoot("/");
}

void AppHarness::launch()
{
    _application->applicationDidFinishLaunching(*_application);
    Automation::settle();
}

RootViewController& AppHarness::root()
{
    auto* window = _application->window();
    auto* controller = dynamic_cast<RootViewController*>(window->subviews().front()->viewController());
    return *controller;
}

void AppHarness::tap(const std::string& selector)
{
    auto error = _automation->tap(selector);
    ASSERT_EQ(error, "") << "tap " << selector;
}

nlohmann::json AppHarness::tree()
{
    return dumpApplicationTree(*_application, _device);
}
