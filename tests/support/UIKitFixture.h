#pragma once

#include "platform/uikit/CGGeometry.h"

#include <gtest/gtest.h>

#include <memory>

class UIApplication;

// Leaves the main thread's shared state empty for the next test: no queued main-queue work, no
// animations and no notification observers.
class MainLoopFixture : public testing::Test {
protected:
    void TearDown() override;

    // Turns the run loop until no work is queued and no animation runs, as the headless host does
    // before it answers.
    static void settle();
};

// A fresh application, shared for the length of one test, on a 320×568 point screen of the scale
// given.
class UIKitFixture : public MainLoopFixture {
protected:
    explicit UIKitFixture(CGFloat scale = 2)
        : _scale(scale)
    {
    }
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<UIApplication> _application;

private:
    CGFloat _scale;
};
