#include "tests/support/UIKitFixture.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/host/RunLoopTurn.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"

void MainLoopFixture::TearDown()
{
    NSRunLoop::mainRunLoop().discardQueuedWork();
    CAAnimationEngine::shared().reset();
    NSNotificationCenter::defaultCenter().removeAllObservers();
}

void MainLoopFixture::settle()
{
    while (runLoopIsBusy())
        turnRunLoop(finishEveryAnimation, nullptr);
}

void UIKitFixture::SetUp()
{
    UIScreen::mainScreen().configure({ 320, 568 }, _scale);
    _application = UIApplication::create();
    UIApplication::setSharedApplication(_application.get());
}

void UIKitFixture::TearDown()
{
    MainLoopFixture::TearDown();
    UIApplication::setSharedApplication(nullptr);
}
