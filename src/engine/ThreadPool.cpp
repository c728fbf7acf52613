#include "engine/ThreadPool.h"

#include <algorithm>
#include <thread>

TThreadPool::TThreadPool(std::function<void()> setUpThread, std::size_t maxParked,
                         std::chrono::milliseconds idleTimeout)
    : m_setUpThread(std::move(setUpThread))
    , m_maxParked(maxParked)
    , m_idleTimeout(idleTimeout)
{
}

TThreadPool::~TThreadPool()
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_closing = true;
    for (TSlot *slot : m_parked)
        slot->wake.notify_one();
    m_threadEnded.wait(guard, [this] { return m_threads == 0; });
}

void TThreadPool::Run(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_parked.empty()) {
            TSlot *slot = m_parked.back();
            m_parked.pop_back();
            slot->job = std::move(job);
            // Notified under the lock: the slot lives on the parked thread's
            // stack, which it cannot leave before it has the lock again.
            slot->wake.notify_one();
            return;
        }
        ++m_threads;
    }
    try {
        // Detached: a thread tells the pool itself when it ends.
        std::thread([this, job = std::move(job)]() mutable { ThreadBody(std::move(job)); }).detach();
    } catch (...) {
        std::lock_guard<std::mutex> guard(m_lock);
        --m_threads;
        throw;
    }
}

std::size_t TThreadPool::Parked() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_parked.size();
}

void TThreadPool::ThreadBody(std::function<void()> job)
{
    if (m_setUpThread)
        m_setUpThread();
    while (job) {
        job();
        // The captures go now, on this thread, not when the next job comes.
        job = nullptr;
        job = Park();
    }
    // The thread's last touch of the pool, which may be destroyed right after.
    std::lock_guard<std::mutex> guard(m_lock);
    --m_threads;
    m_threadEnded.notify_all();
}

std::function<void()> TThreadPool::Park()
{
    TSlot slot;
    std::unique_lock<std::mutex> guard(m_lock);
    if (m_closing || m_parked.size() >= m_maxParked)
        return {};
    m_parked.push_back(&slot);
    if (!slot.wake.wait_for(guard, m_idleTimeout, [this, &slot] { return slot.job || m_closing; }) || !slot.job) {
        // Nobody took this thread in time, or the pool closes. Run() pops a
        // slot and gives it its job under the same lock, so an untaken slot
        // is still listed here.
        m_parked.erase(std::find(m_parked.begin(), m_parked.end(), &slot));
        return {};
    }
    return std::move(slot.job);
}
