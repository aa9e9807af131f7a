#include "platform/host/HostedApplication.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/system/System.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

std::unique_ptr<HostedApplication> HostedApplication::make(const Setup& setup)
{
    auto application = std::dynamic_pointer_cast<UIApplication>(NSCreateInstanceOfClass(setup.principalClassName));
    if (!application)
        return nullptr;
    auto hosted = std::unique_ptr<HostedApplication>(new HostedApplication);
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    setDeviceRoot(setup.root);
    NSUserDefaults::resetStandardUserDefaults();
    UIScreen::mainScreen().configure({ CGFloat(setup.device.width), CGFloat(setup.device.height) },
        CGFloat(setup.device.scale));
    hosted->_previousSystem = System::setCurrent(setup.system);

    hosted->_application = std::move(application);
    UIApplication::setSharedApplication(hosted->_application.get());
    if (setup.delegateClassName == setup.principalClassName)
        hosted->_application->setDelegate(dynamic_cast<UIApplicationDelegate*>(hosted->_application.get()));
    else if (!setup.delegateClassName.empty())
        hosted->_application->adoptDelegate(NSCreateInstanceOfClass(setup.delegateClassName));
    hosted->_application->statusBar().setTimeText(setup.statusTime);
    return hosted;
}

HostedApplication::~HostedApplication()
{
    // The application object goes last, after whatever the loop left queued.
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    UIApplication::setSharedApplication(nullptr);
    _application.reset();
    NSNotificationCenter::defaultCenter().removeAllObservers();
    System::setCurrent(_previousSystem);
    NSUserDefaults::resetStandardUserDefaults();
    setDeviceRoot("/");
}

void HostedApplication::launch()
{
    if (auto* delegate = _application->delegate())
        delegate->applicationDidFinishLaunching(*_application);
}
