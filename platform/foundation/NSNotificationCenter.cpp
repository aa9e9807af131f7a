#include "platform/foundation/NSNotificationCenter.h"

#include <algorithm>
#include <cassert>

const NSString NSUserDefaultsDidChangeNotification = "NSUserDefaultsDidChangeNotification";

NSNotificationCenter& NSNotificationCenter::defaultCenter()
{
    static NSNotificationCenter center;
    return center;
}

void NSNotificationCenter::addRegistration(std::weak_ptr<NSObject> observer, std::function<void(NSObject&)> call,
    std::string selector, const NSString& name, const NSObject* object)
{
    auto target = observer.lock();
    assert(target && "an observer must be alive when it registers");
    assert(call);

    // There is no way to unregister, so registrations of observers that have gone away are dropped
    // here; otherwise every screen that ever observed something would stay in the list for good.
    // Posting leaves the list alone: it only reads a copy.
    std::erase_if(_registrations, [](const Registration& registration) { return registration.observer.expired(); });

    _registrations.push_back({ std::move(observer), target.get(), std::move(call), std::move(selector), name, object });
}

void NSNotificationCenter::postNotificationName(const NSString& name, const NSObject* object)
{
    // Observers may register, or be released, while others are being called. Delivery walks the
    // registrations as they were when the post began, so a registration made during delivery waits
    // for the next post, and one whose observer has gone by its turn is skipped.
    std::vector<Registration> matching;
    for (const auto& registration : _registrations) {
        if (registration.name == name && (!registration.object || registration.object == object))
            matching.push_back(registration);
    }
    for (const auto& registration : matching) {
        // The strong reference keeps the observer alive while its own selector runs, even if the
        // selector drops the last other reference to it.
        if (auto target = registration.observer.lock())
            registration.call(*target);
    }
}

size_t NSNotificationCenter::registrationCount(const NSObject* observer) const
{
    return static_cast<size_t>(std::count_if(_registrations.begin(), _registrations.end(),
        [observer](const Registration& registration) { return registration.observerAddress == observer; }));
}

std::vector<NSNotificationCenter::RegistrationDescription> NSNotificationCenter::registrations() const
{
    std::vector<RegistrationDescription> described;
    for (const auto& registration : _registrations) {
        if (auto observer = registration.observer.lock())
            described.push_back({ registration.name, observer->className(), registration.selector });
    }
    return described;
}
