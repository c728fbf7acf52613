#include "engine/PageLock.h"

bool TPageLock::Acquire(Owner owner, const std::atomic<bool> &stopped)
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_freed.wait(guard, [&] { return m_owner == nullptr || stopped.load(); });
    if (stopped.load())
        return false;
    m_owner = owner;
    return true;
}

void TPageLock::Release(Owner owner)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_owner != owner)
            return;
        m_owner = nullptr;
    }
    m_freed.notify_all();
}

void TPageLock::WakeWaiters()
{
    // Taking the lock orders the caller's stop flag before any waiter's next
    // test of it, so no waiter misses the wake-up.
    { std::lock_guard<std::mutex> guard(m_lock); }
    m_freed.notify_all();
}

bool TPageLock::IsHeld() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_owner != nullptr;
}
