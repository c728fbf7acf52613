#include "engine/StopGate.h"

#include "engine/MainThreadCalls.h"

bool TStopGate::CallMain(std::function<void()> call)
{
    unsigned long long ticket = 0;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_stopped)
            return false;
        ticket = ++m_callsPosted;
    }
    std::shared_ptr<TStopGate> self = shared_from_this();
    TMainThreadCalls::Instance().Post([self, ticket, call = std::move(call)] {
        // On the main thread, where stops happen too: a gate that is not
        // stopped now cannot be stopped during the call.
        if (self->IsStopped())
            return;
        try {
            call();
        } catch (...) {
            // A view that fails must not take the event loop down; the
            // thread goes on as if the call had been made.
        }
        {
            std::lock_guard<std::mutex> guard(self->m_mutex);
            self->m_callsAnswered = ticket;
        }
        self->m_answered.notify_all();
    });
    std::unique_lock<std::mutex> guard(m_mutex);
    m_answered.wait(guard, [&] { return m_callsAnswered >= ticket || m_stopped; });
    return !m_stopped;
}

bool TStopGate::Stop(const std::function<bool()> &beforeStop)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_stopped)
            return true;
        if (beforeStop && !beforeStop())
            return false;
        m_stopped = true;
    }
    m_answered.notify_all();
    return true;
}
