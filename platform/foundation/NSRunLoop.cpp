#include "platform/foundation/NSRunLoop.h"

NSRunLoop& NSRunLoop::mainRunLoop()
{
    static NSRunLoop loop;
    return loop;
}

void NSRunLoop::post(std::function<void()> work)
{
    _queue.push_back(std::move(work));
}

size_t NSRunLoop::drainQueue()
{
    size_t ran = 0;
    while (!_queue.empty()) {
        auto work = std::move(_queue.front());
        _queue.pop_front();
        work();
        ++ran;
    }
    return ran;
}
