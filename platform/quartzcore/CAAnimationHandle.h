#pragma once

#include <cstdint>

// The one owner of a running animation. Destroying the handle, or assigning another animation to
// it, cancels the animation where it is, so its step and completion never run for an owner that
// has gone: an object keeps the handle of each animation that calls back into it as a member.
// Handles move but do not copy.
class CAAnimationHandle {
public:
    using AnimationID = uint64_t;

    CAAnimationHandle() = default;
    ~CAAnimationHandle() { cancel(); }
    CAAnimationHandle(CAAnimationHandle&& other) noexcept
        : _id(other._id)
    {
        other._id = 0;
    }
    CAAnimationHandle& operator=(CAAnimationHandle&& other) noexcept;
    CAAnimationHandle(const CAAnimationHandle&) = delete;
    CAAnimationHandle& operator=(const CAAnimationHandle&) = delete;

    // Whether the animation has neither finished nor been cancelled.
    bool isRunning() const;
    // Stops the animation where it is; its completion does not run.
    void cancel();

private:
    friend class CAAnimationEngine;
    explicit CAAnimationHandle(AnimationID id)
        : _id(id)
    {
    }

    AnimationID _id = 0;
};
