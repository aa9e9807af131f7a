#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <memory>

extern const NSString kCATransition;
extern const NSString kCATransitionFade;
extern const NSString kCATransitionReveal;
extern const NSString kCATransitionFromLeft;
extern const NSString kCATransitionFromRight;

class CAAnimation : public NSObject {
public:
    ZENTROVA_CLASS_NAME(CAAnimation)

    double duration() const { return _duration; }
    void setDuration(double duration) { _duration = duration; }

protected:
    CAAnimation() = default;

private:
    double _duration = 0.25;
};

// A transition of a layer's contents: the layer is revealed, pushed or faded in from a side.
class CATransition final : public CAAnimation {
public:
    ZENTROVA_CLASS_NAME(CATransition)

    static std::shared_ptr<CATransition> animation() { return std::shared_ptr<CATransition>(new CATransition); }

    const NSString& type() const { return _type; }
    void setType(const NSString& type) { _type = type; }
    const NSString& subtype() const { return _subtype; }
    void setSubtype(const NSString& subtype) { _subtype = subtype; }

private:
    CATransition() = default;

    NSString _type = kCATransitionFade;
    NSString _subtype;
};
