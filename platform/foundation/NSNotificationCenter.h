#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A selector: a method without arguments together with the name it is known by, as
// @selector(colorMe) names RootViewController's colorMe. NSSELECTOR(RootViewController, colorMe)
// writes one.
template<typename T>
struct NSSelector {
    void (T::*method)();
    const char* name;
};
#define NSSELECTOR(Class, method) NSSelector<Class> { &Class::method, #method }

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
    void addObserver(T* observer, NSSelector<T> selector, const NSString& name, const NSObject* object)
    {
        std::weak_ptr<NSObject> weak = observer->weakSelf();
        auto method = selector.method;
        addRegistration(std::move(weak), [method](NSObject& target) { (static_cast<T&>(target).*method)(); },
            selector.name, name, object);
    }

    void postNotificationName(const NSString& name, const NSObject* object);

    // How many registrations name this observer (live or not); for tests and the tree dump.
    size_t registrationCount(const NSObject* observer) const;

    // The registrations whose observers still exist, in the order they were made.
    struct RegistrationDescription {
        NSString name;
        std::string observerClass;
        std::string selector;
    };
    std::vector<RegistrationDescription> registrations() const;
    // Forgets every registration; a test harness uses it between cases.
    void removeAllObservers() { _registrations.clear(); }

private:
    struct Registration {
        std::weak_ptr<NSObject> observer;
        const NSObject* observerAddress = nullptr;
        std::function<void(NSObject&)> call;
        std::string selector;
        NSString name;
        const NSObject* object = nullptr;
    };

    void addRegistration(std::weak_ptr<NSObject> observer, std::function<void(NSObject&)> call, std::string selector,
        const NSString& name, const NSObject* object);

    std::vector<Registration> _registrations;
};
