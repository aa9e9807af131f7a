#pragma once

#include "platform/host/Automation.h"
#include "platform/host/DeviceProfile.h"
#include "platform/host/HostedApplication.h"
#include "platform/system/System.h"
#include "tests/support/TempDir.h"

#include <map>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <memory>
#include <string>

class UIApplication;
class RootViewController;
class Zentrova3Application;

// The app launched in-process as the headless host launches it: a device root of its own, a
// screen of a device profile, the recorder behind the system seam and the virtual clock. Stored
// preferences can be given before launch.
class AppHarness {
public:
    struct Options {
        std::string device = "iphone-5s";
        std::map<std::string, bool> preferences = {};
        bool launch = true;
        // The bytes of the bundle's CHANGELOG.txt; none stages the one the app ships, and a file
        // can be taken away again with removeChangelog().
        std::optional<std::string> changelog = std::nullopt;
        // A device root that already exists, to run on instead of a fresh one of the harness's own;
        // the caller keeps it, with whatever the app leaves in it. Used by tests whose app runs in
        // another process on the same files.
        std::optional<std::filesystem::path> root = std::nullopt;
    };

    AppHarness();
    explicit AppHarness(Options options);
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // Delivers the launch message; done by the constructor unless Options::launch is false.
    void launch();
    // Ends this run of the app and launches it again on the same device root, as a restart does.
    void relaunch();

    // The changelog file under the device root.
    std::filesystem::path changelogPath() const;
    void writeChangelog(const std::string& bytes) const;
    void removeChangelog() const;

    Zentrova3Application& application() { return *_application; }
    HostedApplication& hosted() { return *_hosted; }
    RootViewController& root();
    Automation& automation() { return *_automation; }
    RecordingSystem& system() { return *_system; }
    const DeviceProfile& device() const { return _device; }
    // The root the harness made for itself; there is none when Options::root was given.
    const TempDir& deviceRoot() const { return *_ownRoot; }
    // The device root the app runs on, given or made.
    const std::filesystem::path& rootPath() const { return _rootPath; }

    // Taps and fails the test on an automation error.
    void tap(const std::string& selector);
    nlohmann::json tree();

private:
    std::optional<TempDir> _ownRoot;
    std::filesystem::path _rootPath;
    DeviceProfile _device;
    std::shared_ptr<RecordingSystem> _system;
    void start();

    std::unique_ptr<HostedApplication> _hosted;
    Zentrova3Application* _application = nullptr;
    std::unique_ptr<Automation> _automation;
    std::ostringstream _out;
};

// Writes stored preferences for the app under a device root, as an earlier run would have.
void writeStoredPreferences(const std::filesystem::path& root, const std::map<std::string, bool>& values);
