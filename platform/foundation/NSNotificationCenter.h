#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <memory>
#include <vector>

// The change signal of the user defaults.
extern const NSString NSUserDefaultsDidChangeNotification;

// Delivers named notifications to registered observers, synchronously, on the posting thread (the
// main thread). A registration made twice is delivered twice. Posting walks a copy of the
// registrations, so an observer may register or go away during delivery; a registration whose
// observer no longer exists is skipped, never called.
class NSNotificationCenter {
public:
    static NSNotificationCenter& defaultCenter();

    // A nil object means notifications from every sender.
    template<typename T>
    void addObserver(T* observer, void (T::*selector)(), const NSString& name, const NSObject* object)
    {
        std::weak_ptr<NSObject> weak = observer->weakSelf();
        addRegistration(std::move(weak), [selector](NSObject& target) { (static_cast<T&>(target).*selector)(); },
            name, object);
    }

    void postNotificationName(const NSString& name, const NSObject* object);

    // How many registrations name this observer (live or not); for tests and the tree dump.
    size_t registrationCount(const NSObject* observer) const;
    // Forgets every registration; a test harness uses it between cases.
    void removeAllObservers() { _registrations.clear(); }

private:
    struct Registration {
        std::weak_ptr<NSObject> observer;
        const NSObject* observerAddress = nullptr;
        std::function<void(NSObject&)> call;
        NSString name;
        const NSObject* object = nullptr;
    };

    void addRegistration(std::weak_ptr<NSObject> observer, std::function<void(NSObject&)> call, const NSString& name,
        const NSObject* object);

    std::vector<Registration> _registrations;
};
