#include "platform/host/RunLoopTurn.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/uikit/UIView.h"
#include "tests/support/UIKitFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RunLoopTurn : public MainLoopFixture {
protected:
    void SetUp() override { UITakeNeedsDisplay(); }
};

TEST_F(RunLoopTurn, WorkThenTheClockThenWhatItQueuedThenOneFrame)
{
    std::string order;
    auto& engine = CAAnimationEngine::shared();
    CAAnimationHandle animation;
    dispatchOnMainQueue([&] {
        order += "work ";
        animation = engine.add(1, nullptr, [&] {
            order += "completion ";
            dispatchOnMainQueue([&] {
                order += "answer ";
                UIMarkNeedsDisplay();
            });
        });
    });
    int frames = 0;
    // The real clock stops half-way: nothing completes, nothing changed, nothing is drawn.
    turnRunLoop([](CAAnimationEngine& clock) { clock.advanceTo(clock.currentTime() + 0.5); }, [&] { ++frames; });
    EXPECT_EQ(order, "work ");
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(runLoopIsBusy());

    turnRunLoop([](CAAnimationEngine& clock) { clock.advanceTo(clock.currentTime() + 0.5); }, [&] { ++frames; });
    EXPECT_EQ(order, "work completion answer ");
    EXPECT_EQ(frames, 1);
    EXPECT_FALSE(runLoopIsBusy());
}

TEST_F(RunLoopTurn, TheVirtualClockFinishesEveryAnimationAndLeavesTheMarkWithoutAScreen)
{
    int completions = 0;
    CAAnimationHandle first, second;
    first = CAAnimationEngine::shared().add(10, nullptr, [&] {
        ++completions;
        second = CAAnimationEngine::shared().add(10, nullptr, [&] { ++completions; });
    });
    UIMarkNeedsDisplay();
    turnRunLoop(finishEveryAnimation, nullptr);
    EXPECT_EQ(completions, 2);
    EXPECT_TRUE(UITakeNeedsDisplay());
}

} // namespace
