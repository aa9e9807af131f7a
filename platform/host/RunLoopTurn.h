#pragma once

#include <functional>

class CAAnimationEngine;

// How a turn moves the animation clock: the window moves it to the real time; the headless host
// keeps a virtual clock and runs every animation to its end.
using RunLoopClock = std::function<void(CAAnimationEngine&)>;
void finishEveryAnimation(CAAnimationEngine& engine);

// One turn of the main run loop, once the host has delivered its input: the work queued on the
// main queue runs, the animation clock moves on, the work that steps and completions queued runs,
// and, when anything on screen changed, drawFrame draws one frame. A host without a screen passes
// no drawFrame and leaves the change mark alone.
void turnRunLoop(const RunLoopClock& clock, const std::function<void()>& drawFrame);

// Whether a turn would have anything to do besides drawing: queued work or running animations.
bool runLoopIsBusy();
