#include "platform/foundation/NSNotificationCenter.h"

#include "tests/support/CountingObserver.h"

#include <gtest/gtest.h>

namespace {

const NSString kChanged = "Changed";

TEST(NSNotificationCenter, DeliversOncePerRegistrationAndOnlyForItsName)
{
    NSNotificationCenter center;
    auto listener = CountingObserver::create();
    for (int i = 0; i < 3; ++i)
        center.addObserver(listener.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
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
    auto first = CountingObserver::create();
    auto second = CountingObserver::create();
    auto everyone = CountingObserver::create();
    auto onlyFirst = CountingObserver::create();
    center.addObserver(everyone.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
    center.addObserver(onlyFirst.get(), NSSELECTOR(CountingObserver, observe), kChanged, first.get());

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
    auto survivor = CountingObserver::create();
    auto released = CountingObserver::create();
    auto releasedDuringDelivery = CountingObserver::create();
    released->onCall = [&] { ++callsOfGoneObservers; };
    releasedDuringDelivery->onCall = [&] { ++callsOfGoneObservers; };
    const NSObject* releasedAddress = released.get();
    center.addObserver(survivor.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
    center.addObserver(released.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
    center.addObserver(releasedDuringDelivery.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
    released.reset();
    // The survivor is called first, so the last observer goes away after the post has taken its copy.
    survivor->onCall = [&] { releasedDuringDelivery.reset(); };

    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(survivor->calls, 1);
    EXPECT_EQ(callsOfGoneObservers, 0);

    // Registrations of observers that are gone are dropped when the next one is made.
    EXPECT_EQ(center.registrationCount(releasedAddress), 1u);
    auto later = CountingObserver::create();
    center.addObserver(later.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);
    EXPECT_EQ(center.registrationCount(releasedAddress), 0u);
}

TEST(NSNotificationCenter, ObserverMayReleaseItselfWhileBeingCalled)
{
    NSNotificationCenter center;
    auto listener = CountingObserver::create();
    std::weak_ptr<CountingObserver> weak = listener;
    // The handler is a member of the listener, so it would run on freed memory if delivery did not
    // hold the observer until the call returns.
    listener->onCall = [&] { listener.reset(); };
    center.addObserver(listener.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);

    center.postNotificationName(kChanged, nullptr);
    EXPECT_TRUE(weak.expired());
}

TEST(NSNotificationCenter, RegistrationDuringDeliveryWaitsForTheNextPost)
{
    NSNotificationCenter center;
    auto first = CountingObserver::create();
    auto late = CountingObserver::create();
    first->onCall = [&] { center.addObserver(late.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr); };
    center.addObserver(first.get(), NSSELECTOR(CountingObserver, observe), kChanged, nullptr);

    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(late->calls, 0);
    center.postNotificationName(kChanged, nullptr);
    EXPECT_EQ(late->calls, 1);
}

} // namespace
