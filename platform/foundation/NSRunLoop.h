#pragma once

#include <deque>
#include <functional>

// The main thread's queue of deferred work. Work posted while an event is being handled runs after
// that event returns, in the order posted; the host drains the queue as one phase of each turn of
// its loop. There is only the main thread, so nothing here locks.
class NSRunLoop {
public:
    static NSRunLoop& mainRunLoop();

    void post(std::function<void()> work);
    bool hasQueuedWork() const { return !_queue.empty(); }
    // Runs queued work in order, including work that the work itself posts, until none is left.
    // Returns how many items ran.
    size_t drainQueue();
    // Forgets queued work without running it; a test harness uses it between cases.
    void discardQueuedWork() { _queue.clear(); }

private:
    std::deque<std::function<void()>> _queue;
};

// The platform's dispatch_async onto the main queue.
inline void dispatchOnMainQueue(std::function<void()> work) { NSRunLoop::mainRunLoop().post(std::move(work)); }
