#include "tests/support/AppHarness.h"

#include "app/Zentrova3Application.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/TreeDump.h"
#include "platform/uikit/UIWindow.h"
#include "screens/RootViewController.h"

#include <gtest/gtest.h>

#include <fstream>

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
    if (options.root) {
        _rootPath = *options.root;
    } else {
        _ownRoot.emplace();
        _rootPath = _ownRoot->path();
    }
    if (!options.preferences.empty())
        writeStoredPreferences(_rootPath, options.preferences);
    // The device root holds the bundle as the build staged it.
    std::filesystem::create_directories(changelogPath().parent_path());
    if (options.changelog)
        writeChangelog(*options.changelog);
    else
        std::filesystem::copy_file(std::filesystem::path(ZENTROVA_BUNDLE_DIR) / "CHANGELOG.txt", changelogPath(),
            std::filesystem::copy_options::overwrite_existing);
    start();
    if (options.launch)
        launch();
}

void AppHarness::start()
{
    HostedApplication::Setup setup;
    setup.device = _device;
    setup.root = _rootPath.string();
    setup.system = _system;
    setup.statusTime = "9:41";
    _hosted = HostedApplication::make(setup);
    _application = &dynamic_cast<Zentrova3Application&>(_hosted->application());
    _automation = std::make_unique<Automation>(*_application, _device, _out);
}

AppHarness::~AppHarness()
{
    _automation.reset();
    _hosted.reset();
}

void AppHarness::launch()
{
    _hosted->launch();
    Automation::settle();
}

void AppHarness::relaunch()
{
    _automation.reset();
    _hosted.reset();
    start();
    launch();
}

std::filesystem::path AppHarness::changelogPath() const
{
    return _rootPath / "Applications/Zentrova.app/CHANGELOG.txt";
}

void AppHarness::writeChangelog(const std::string& bytes) const
{
    std::ofstream(changelogPath(), std::ios::binary | std::ios::trunc) << bytes;
}

void AppHarness::removeChangelog() const
{
    std::filesystem::remove(changelogPath());
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
