#include "platform/foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>

namespace {

class Listener final : public NSObject {
public:
    static std::shared_ptr<Listener> create() { return std::shared_ptr<Listener>(new Listener); }

    void heard()
    {
        ++calls;
        if (onHeard)
            onHeard();
    }

    int calls = 0;
    std::function<void()> onHeard;
};

class Sender final : public NSObject {
public:
    static std::shared_ptr<Sender> create() { return std::shared_ptr<Sender>(new Sender); }
};

const NSString kChanged = "Changed";

TEST(NSNotificationCenter, DeliversOncePerRegistrationAndOnlyForItsName)
{
    NSNotificationCenter center;
    auto listener = Listener::create();
    for (int i = 0; i < 3; ++i)
        center.addObserver(listener.get(), &Listener::heard, kChanged, nullptr);
    EXPECT_EQ(center.registrationCount(listener.get()), 3u);

    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(listener->calls, 3);
    center.postNotificationName("Other", nullptr);
    EXPECT_EQ(listener->calls, 3);
    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(listener->calls, 6);
}

TEST(NSNotificationCenter, NilObjectHearsEverySenderAndAnObjectOnlyItself)
{
    NSNotificationCenter center;
    auto first = Sender::create();
    auto second = Sender::create();
    auto everyone = Listener::create();
    auto onlyFirst = Listener::create();
    center.addObserver(everyone.get(), &Listener::heard, kChanged, nullptr);
    center.addObserver(onlyFirst.get(), &Listener::heard, kChanged, first.get());

    center.postNotificationName(kChanged, first.get());
    center.postNotificationName(kChanged, second.get());
    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(everyone->calls, 3);
    EXPECT_EQ(onlyFirst->calls, 1);
}

TEST(NSNotificationCenter, ObserverThatHasGoneIsNeverCalled)
{
    NSNotificationCenter center;
    int callsOfGoneObservers = 0;
    auto survivor = Listener::create();
    auto released = Listener::create();
    auto releasedDuringDelivery = Listener::create();
    released->onHeard = [&] { ++callsOfGoneObservers; };
    releasedDuringDelivery->onHeard = [&] { ++callsOfGoneObservers; };
    const NSObject* releasedAddress = released.get();
    center.addObserver(survivor.get(), &Listener::heard, kChanged, nullptr);
    center.addObserver(released.get(), &Listener::heard, kChanged, nullptr);
    center.addObserver(releasedDuringDelivery.get(), &Listener::heard, kChanged, nullptr);
    released.reset();
    // The survivor is called first, so the last observer goes away after the post has taken its copy.
    survivor->onHeard = [&] { releasedDuringDelivery.reset(); };

    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(survivor->calls, 1);
    EXPECT_EQ(callsOfGoneObservers, 0);

    // Registrations of observers that are gone are dropped when the next one is made.
    EXPECT_EQ(center.registrationCount(releasedAddress), 1u);
    auto later = Listener::create();
    center.addObserver(later.get(), &Listener::heard, kChanged, nullptr);
    EXPECT_EQ(center.registrationCount(releasedAddress), 0u);
}

TEST(NSNotificationCenter, ObserverMayReleaseItselfWhileBeingCalled)
{
    NSNotificationCenter center;
    auto listener = Listener::create();
    std::weak_ptr<Listener> weak = listener;
    // The handler is a member of the listener, so it would run on freed memory if delivery did not
    // hold the observer until the call returns.
    listener->onHeard = [&] { listener.reset(); };
    center.addObserver(listener.get(), &Listener::heard, kChanged, nullptr);

    center.postNotificationName(kChanged, nullptr);
    EXPECT_TRUE(weak.expired());
}

TEST(NSNotificationCenter, RegistrationDuringDeliveryWaitsForTheNextPost)
{
    NSNotificationCenter center;
    auto first = Listener::create();
    auto late = Listener::create();
    first->onHeard = [&] { center.addObserver(late.get(), &Listener::heard, kChanged, nullptr); };
    center.addObserver(first.get(), &Listener::heard, kChanged, nullptr);

    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(late->calls, 0);
    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(late->calls, 1);
}

} // namespace
