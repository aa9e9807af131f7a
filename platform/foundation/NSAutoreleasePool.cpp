#include "platform/foundation/NSAutoreleasePool.h"

#include <algorithm>

namespace {

std::vector<NSAutoreleasePool*>& poolStack()
{
    static std::vector<NSAutoreleasePool*> pools;
    return pools;
}

} // namespace

NSAutoreleasePool* NSAutoreleasePool::alloc()
{
    auto* pool = new NSAutoreleasePool;
    poolStack().push_back(pool);
    return pool;
}

void NSAutoreleasePool::drain()
{
    auto& pools = poolStack();
    pools.erase(std::remove(pools.begin(), pools.end(), this), pools.end());
    // Releasing may run destructors that autorelease further objects into outer pools.
    auto objects = std::move(_objects);
    objects.clear();
    delete this;
}

void NSAutorelease(std::shared_ptr<NSObject> object)
{
    auto& pools = poolStack();
    if (!pools.empty())
        pools.back()->add(std::move(object));
}
