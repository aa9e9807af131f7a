#include "platform/quartzcore/CALayer.h"

const NSString kCATransition = "transition";
const NSString kCATransitionFade = "fade";
const NSString kCATransitionReveal = "reveal";
const NSString kCATransitionFromLeft = "fromLeft";
const NSString kCATransitionFromRight = "fromRight";

CALayer::~CALayer()
{
    *_alive = false;
    for (auto& [key, running] : _running)
        CAAnimationEngine::shared().cancel(running.id);
}

void CALayer::addAnimation(std::shared_ptr<CAAnimation> animation, const NSString& forKey)
{
    if (!animation)
        return;
    if (auto it = _running.find(forKey); it != _running.end()) {
        CAAnimationEngine::shared().cancel(it->second.id);
        _running.erase(it);
    }
    _added.push_back({ forKey, animation });
    bool isTransition = dynamic_cast<CATransition*>(animation.get()) != nullptr;
    // The engine may outlive the layer's interest in a step; the shared flag keeps the callbacks
    // from touching a destroyed layer.
    auto alive = _alive;
    auto id = CAAnimationEngine::shared().add(
        animation->duration(),
        [this, alive, isTransition](double t) {
            if (*alive && isTransition)
                _transitionProgress = t;
        },
        [this, alive, forKey, isTransition] {
            if (!*alive)
                return;
            _running.erase(forKey);
            if (isTransition)
                _transitionProgress = 1;
        },
        CAAnimationCurve::EaseInOut);
    _running[forKey] = { std::move(animation), id };
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const NSString& key) const
{
    auto it = _running.find(key);
    return it == _running.end() ? nullptr : it->second.animation;
}

std::vector<NSString> CALayer::animationKeys() const
{
    std::vector<NSString> keys;
    for (auto& [key, running] : _running)
        keys.push_back(key);
    return keys;
}

std::shared_ptr<CATransition> CALayer::runningTransition() const
{
    for (auto& [key, running] : _running) {
        if (auto transition = std::dynamic_pointer_cast<CATransition>(running.animation))
            return transition;
    }
    return nullptr;
}
