#pragma once

#include "platform/foundation/NSObject.h"

#include <memory>
#include <vector>

// A pool that keeps objects handed to NSAutorelease alive until it is drained. Pools nest; an
// object goes to the innermost one. Objects handed over while no pool exists are released at once.
class NSAutoreleasePool final {
public:
    static NSAutoreleasePool* alloc();
    NSAutoreleasePool* init() { return this; }
    // Releases the pool's objects and the pool itself; the pointer is invalid afterwards.
    void drain();

    void add(std::shared_ptr<NSObject> object) { _objects.push_back(std::move(object)); }

private:
    NSAutoreleasePool() = default;
    std::vector<std::shared_ptr<NSObject>> _objects;
};

void NSAutorelease(std::shared_ptr<NSObject> object);
