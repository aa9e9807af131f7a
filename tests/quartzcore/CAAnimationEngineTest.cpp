#include "platform/quartzcore/CAAnimationEngine.h"

#include "platform/quartzcore/CALayer.h"

#include <gtest/gtest.h>

namespace {

class CAAnimationEngineTest : public testing::Test {
protected:
    void SetUp() override { CAAnimationEngine::shared().reset(); }
    void TearDown() override { CAAnimationEngine::shared().reset(); }
    CAAnimationEngine& engine = CAAnimationEngine::shared();
};

TEST_F(CAAnimationEngineTest, StepsThenCompletesOnceAtTheEnd)
{
    std::vector<double> steps;
    int completions = 0;
    double start = engine.currentTime();
    auto animation = engine.add(0.3, [&](double t) { steps.push_back(t); }, [&] { ++completions; }, CAAnimationCurve::Linear);
    engine.advanceTo(start + 0.15);
    EXPECT_EQ(completions, 0);
    EXPECT_NEAR(steps.back(), 0.5, 1e-9);
    // Odd durations and start times must still land exactly on their end.
    engine.advanceTo(start + 0.1 + 0.2);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(steps.back(), 1.0);
    engine.advanceTo(start + 10);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(engine.isAnimating());
}

TEST_F(CAAnimationEngineTest, FinishAllRunsChainedAnimationsToTheEnd)
{
    int completions = 0;
    engine.advanceTo(1234.56789);
    CAAnimationHandle second;
    auto first = engine.add(0.7, nullptr, [&] {
        ++completions;
        second = engine.add(0.3, nullptr, [&] { ++completions; });
    });
    engine.finishAll();
    EXPECT_EQ(completions, 2);
    EXPECT_FALSE(engine.isAnimating());
}

TEST_F(CAAnimationEngineTest, ZeroDurationCompletesOnTheNextTurn)
{
    int completions = 0;
    double last = -1;
    auto animation = engine.add(0, [&](double t) { last = t; }, [&] { ++completions; });
    EXPECT_EQ(last, 1.0);
    EXPECT_EQ(completions, 0);
    engine.advanceTo(engine.currentTime());
    EXPECT_EQ(completions, 1);
}

TEST_F(CAAnimationEngineTest, AHandleOwnsItsAnimation)
{
    int completions = 0;
    auto cancelled = engine.add(1, nullptr, [&] { ++completions; });
    EXPECT_TRUE(cancelled.isRunning());
    cancelled.cancel();
    EXPECT_FALSE(cancelled.isRunning());
    {
        auto dropped = engine.add(1, nullptr, [&] { ++completions; });
    }
    // Moving hands the animation over; assigning over a running one stops it.
    auto moved = engine.add(1, nullptr, [&] { completions += 10; });
    CAAnimationHandle owner = std::move(moved);
    EXPECT_FALSE(moved.isRunning());
    EXPECT_TRUE(owner.isRunning());
    auto replaced = engine.add(1, nullptr, [&] { ++completions; });
    replaced = engine.add(1, nullptr, [&] { completions += 100; });
    engine.finishAll();
    EXPECT_EQ(completions, 110);
    EXPECT_FALSE(owner.isRunning());
    EXPECT_FALSE(engine.isAnimating());
}

TEST_F(CAAnimationEngineTest, AnOwnerReleasedByItsCancelledAnimationMayCancelOthers)
{
    // The completion holds the last reference to an owner of a second animation.
    struct Owner {
        CAAnimationHandle other;
    };
    auto owner = std::make_shared<Owner>();
    owner->other = engine.add(1, nullptr, nullptr);
    auto handle = engine.add(1, nullptr, [owner] { });
    owner.reset();
    handle.cancel();
    EXPECT_FALSE(engine.isAnimating());
}

TEST_F(CAAnimationEngineTest, LayerKeepsATransitionWhileItRuns)
{
    CALayer layer;
    auto transition = CATransition::animation();
    transition->setDuration(0.3);
    transition->setType(kCATransitionReveal);
    transition->setSubtype(kCATransitionFromLeft);
    layer.addAnimation(transition, kCATransition);
    EXPECT_EQ(layer.animationForKey(kCATransition), transition);
    EXPECT_EQ(layer.runningTransition(), transition);
    engine.finishAll();
    EXPECT_EQ(layer.animationForKey(kCATransition), nullptr);
    EXPECT_EQ(layer.transitionProgress(), 1.0);
    ASSERT_EQ(layer.addedAnimations().size(), 1u);
    EXPECT_EQ(layer.addedAnimations().front().key, kCATransition);
}

TEST_F(CAAnimationEngineTest, ALayerThatGoesAwayMidAnimationIsLeftAlone)
{
    {
        CALayer layer;
        layer.addAnimation(CATransition::animation(), kCATransition);
    }
    engine.finishAll();
    EXPECT_FALSE(engine.isAnimating());
}

} // namespace
