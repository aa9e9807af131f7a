#pragma once

#include "platform/host/DeviceProfile.h"

#include <memory>
#include <string>

class System;
class UIApplication;

// One run of an application as a host gives it: the device root, the main screen, the system
// seam, and the application object of the named classes, which becomes the shared application.
// Going away undoes all of it in order: queued work and animations are dropped, then the
// application object is released, then the seam and the store are put back. UIApplicationMain,
// the tests and the benchmarks all run the app this way.
class HostedApplication {
public:
    struct Setup {
        std::string principalClassName = "Zentrova3Application";
        std::string delegateClassName = "Zentrova3Application";
        DeviceProfile device;
        std::string root = "/";
        std::shared_ptr<System> system;
        // Empty means the real time of day.
        std::string statusTime;
    };

    // Null when the principal class is unknown or is not an application.
    static std::unique_ptr<HostedApplication> make(const Setup& setup);
    ~HostedApplication();
    HostedApplication(const HostedApplication&) = delete;
    HostedApplication& operator=(const HostedApplication&) = delete;

    // Sends the launch message to the delegate.
    void launch();
    UIApplication& application() { return *_application; }

private:
    HostedApplication() = default;

    std::shared_ptr<UIApplication> _application;
    std::shared_ptr<System> _previousSystem;
};
