#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// The page lock of a task: one worker of the task holds it from the scan of
// its page until the page's links are queued, so that the test for a known
// URL and the adding of a new one are never interleaved between workers.
//
// It is a token rather than a thread's mutex, because a stop must be able to
// take it back: the holder may be waiting for the main thread (a log line, a
// new row) while the main thread stops the task, and after the stop the lock
// must be free at once, without waiting for that worker to unwind. A waiter
// gives up as soon as its own stop flag is set. Holders are identified by an
// opaque owner pointer (a worker's shared state).
//
// Shared by the task and its workers (shared_ptr), so a worker that unwinds
// after its task is gone still finds it.
class TPageLock
{
public:
    using Owner = const void *;

    // Waits without a time limit until `owner` holds the lock; returns false,
    // without holding it, once `stopped` is true.
    bool Acquire(Owner owner, const std::atomic<bool> &stopped);
    // Gives the lock up when `owner` holds it; otherwise nothing.
    void Release(Owner owner);
    // Wakes every waiter so that it sees its stop flag.
    void WakeWaiters();
    bool IsHeld() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_freed;
    Owner m_owner = nullptr;
};
