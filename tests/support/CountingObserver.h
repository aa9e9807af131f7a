#pragma once

#include "platform/foundation/NSObject.h"

#include <functional>
#include <memory>

// An observer for notification tests: counts its calls and runs an optional action in each.
class CountingObserver final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(CountingObserver)

    static std::shared_ptr<CountingObserver> create()
    {
        return std::shared_ptr<CountingObserver>(new CountingObserver);
    }

    void observe()
    {
        ++calls;
        if (onCall)
            onCall();
    }

    int calls = 0;
    std::function<void()> onCall;

private:
    CountingObserver() = default;
};
