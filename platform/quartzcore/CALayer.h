#pragma once

#include "platform/foundation/NSString.h"
#include "platform/quartzcore/CAAnimationEngine.h"
#include "platform/quartzcore/CATransition.h"

#include <map>
#include <memory>
#include <vector>

// The layer behind a view. It holds the animations added to it under their keys while they run;
// a running transition offsets or fades the layer's contents as it progresses.
class CALayer {
public:
    CALayer() = default;
    CALayer(const CALayer&) = delete;
    CALayer& operator=(const CALayer&) = delete;

    // Adds the animation under the key, replacing one that runs under the same key, and starts it.
    void addAnimation(std::shared_ptr<CAAnimation> animation, const NSString& forKey);
    std::shared_ptr<CAAnimation> animationForKey(const NSString& key) const;
    std::vector<NSString> animationKeys() const;

    // Every animation ever added, in order, with its key: what a test asks after the animation ended.
    struct AddedAnimation {
        NSString key;
        std::shared_ptr<CAAnimation> animation;
    };
    const std::vector<AddedAnimation>& addedAnimations() const { return _added; }

    // How far the running transition has come, 0 to 1, or 1 when none runs.
    double transitionProgress() const { return _transitionProgress; }
    std::shared_ptr<CATransition> runningTransition() const;

private:
    struct Running {
        std::shared_ptr<CAAnimation> animation;
        CAAnimationHandle handle;
    };
    std::map<NSString, Running> _running;
    std::vector<AddedAnimation> _added;
    double _transitionProgress = 1;
};
