#pragma once

#include "platform/quartzcore/CAAnimationHandle.h"

#include <functional>
#include <vector>

enum class CAAnimationCurve {
    Linear,
    EaseInOut,
    EaseOut,
};

// The one engine behind every timed change: the status bar fade, alerts, highlights, the switch,
// presentations and transitions. Time comes from the host: the headless host keeps a virtual
// clock and finishes every animation at once when it settles; the window advances the clock in
// real time, a frame at a time.
//
// An animation is a step function called with its eased progress in [0, 1] and a completion
// called once after the final step. Steps and completions may start further animations. The
// handle that starting an animation returns is its owner: the animation runs as long as the handle
// exists.
class CAAnimationEngine {
public:
    using AnimationID = CAAnimationHandle::AnimationID;

    static CAAnimationEngine& shared();

    double currentTime() const { return _now; }
    // Moves the clock forward and steps every running animation; finished ones complete.
    void advanceTo(double time);
    // Runs every animation to its end at once, including those that completions start.
    void finishAll();
    bool isAnimating() const { return !_animations.empty(); }

    [[nodiscard]] CAAnimationHandle add(double duration, std::function<void(double)> step,
        std::function<void()> completion = { }, CAAnimationCurve curve = CAAnimationCurve::EaseInOut);
    // Forgets every animation without completing it and starts the clock again at 0; a test
    // harness uses it between cases.
    void reset();

private:
    friend class CAAnimationHandle;

    void cancel(AnimationID id);
    bool isRunning(AnimationID id) const;

    struct Animation {
        AnimationID id = 0;
        double start = 0;
        double duration = 0;
        CAAnimationCurve curve = CAAnimationCurve::EaseInOut;
        std::function<void(double)> step;
        std::function<void()> completion;
    };

    static double ease(CAAnimationCurve curve, double t);

    std::vector<Animation> _animations;
    double _now = 0;
    AnimationID _nextID = 1;
};
