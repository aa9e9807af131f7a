#include "platform/quartzcore/CAAnimationEngine.h"

#include <algorithm>

CAAnimationEngine& CAAnimationEngine::shared()
{
    static CAAnimationEngine engine;
    return engine;
}

double CAAnimationEngine::ease(CAAnimationCurve curve, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    switch (curve) {
    case CAAnimationCurve::Linear:
        return t;
    case CAAnimationCurve::EaseOut:
        return 1 - (1 - t) * (1 - t);
    case CAAnimationCurve::EaseInOut:
        return t * t * (3 - 2 * t);
    }
    return t;
}

CAAnimationHandle CAAnimationEngine::add(double duration, std::function<void(double)> step,
    std::function<void()> completion, CAAnimationCurve curve)
{
    Animation animation;
    animation.id = _nextID++;
    animation.start = _now;
    animation.duration = duration;
    animation.curve = curve;
    animation.step = std::move(step);
    animation.completion = std::move(completion);
    if (animation.step)
        animation.step(duration <= 0 ? 1.0 : 0.0);
    _animations.push_back(std::move(animation));
    return CAAnimationHandle(_animations.back().id);
}

bool CAAnimationEngine::isRunning(AnimationID id) const
{
    return std::any_of(_animations.begin(), _animations.end(), [id](const Animation& a) { return a.id == id; });
}

CAAnimationHandle& CAAnimationHandle::operator=(CAAnimationHandle&& other) noexcept
{
    if (this != &other) {
        cancel();
        _id = other._id;
        other._id = 0;
    }
    return *this;
}

bool CAAnimationHandle::isRunning() const
{
    return _id && CAAnimationEngine::shared().isRunning(_id);
}

void CAAnimationHandle::cancel()
{
    if (_id)
        CAAnimationEngine::shared().cancel(_id);
    _id = 0;
}

void CAAnimationEngine::cancel(AnimationID id)
{
    auto it = std::find_if(_animations.begin(), _animations.end(), [id](const Animation& a) { return a.id == id; });
    if (it == _animations.end())
        return;
    // The callbacks may hold the last reference to an owner that cancels its own animations as it
    // goes, so they are destroyed only once the list is consistent again.
    Animation cancelled = std::move(*it);
    _animations.erase(it);
}

void CAAnimationEngine::reset()
{
    auto forgotten = std::move(_animations);
    _animations.clear();
    _now = 0;
}

void CAAnimationEngine::advanceTo(double time)
{
    _now = std::max(_now, time);
    // Steps and completions may add or cancel animations, so work from a snapshot of the IDs.
    std::vector<AnimationID> ids;
    for (auto& a : _animations)
        ids.push_back(a.id);
    for (auto id : ids) {
        auto it = std::find_if(_animations.begin(), _animations.end(), [id](auto& a) { return a.id == id; });
        if (it == _animations.end())
            continue;
        // Compared as times, not as a ratio, which can fall an ulp short of 1 at the very end.
        bool finished = it->duration <= 0 || _now >= it->start + it->duration;
        double t = finished ? 1.0 : (_now - it->start) / it->duration;
        auto step = it->step;
        if (step)
            step(ease(it->curve, t));
        if (!finished)
            continue;
        it = std::find_if(_animations.begin(), _animations.end(), [id](auto& a) { return a.id == id; });
        if (it == _animations.end())
            continue;
        auto completion = std::move(it->completion);
        _animations.erase(it);
        if (completion)
            completion();
    }
}

void CAAnimationEngine::finishAll()
{
    while (!_animations.empty()) {
        double end = _now;
        for (auto& a : _animations)
            end = std::max(end, a.start + a.duration);
        advanceTo(end);
    }
}
