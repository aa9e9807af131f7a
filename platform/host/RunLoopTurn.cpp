#include "platform/host/RunLoopTurn.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIView.h"

void finishEveryAnimation(CAAnimationEngine& engine)
{
    engine.finishAll();
}

void turnRunLoop(const RunLoopClock& clock, const std::function<void()>& drawFrame)
{
    auto& loop = NSRunLoop::mainRunLoop();
    loop.drainQueue();
    clock(CAAnimationEngine::shared());
    loop.drainQueue();
    if (drawFrame && UITakeNeedsDisplay())
        drawFrame();
}

bool runLoopIsBusy()
{
    return NSRunLoop::mainRunLoop().hasQueuedWork() || CAAnimationEngine::shared().isAnimating();
}
