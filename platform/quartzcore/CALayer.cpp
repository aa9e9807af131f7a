#include "platform/quartzcore/CALayer.h"

const NSString kCATransition = "transition";
const NSString kCATransitionFade = "fade";
const NSString kCATransitionReveal = "reveal";
const NSString kCATransitionFromLeft = "fromLeft";
const NSString kCATransitionFromRight = "fromRight";

void CALayer::addAnimation(std::shared_ptr<CAAnimation> animation, const NSString& forKey)
{
    if (!animation)
        return;
    // Replacing the running entry cancels the animation that ran under the key.
    _running.erase(forKey);
    _added.push_back({ forKey, animation });
    bool isTransition = dynamic_cast<CATransition*>(animation.get()) != nullptr;
    auto handle = CAAnimationEngine::shared().add(
        animation->duration(),
        [this, isTransition](double t) {
            if (isTransition)
                _transitionProgress = t;
        },
        [this, forKey, isTransition] {
            _running.erase(forKey);
            if (isTransition)
                _transitionProgress = 1;
        },
        CAAnimationCurve::EaseInOut);
    _running[forKey] = { std::move(animation), std::move(handle) };
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
