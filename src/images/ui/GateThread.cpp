#include "images/ui/GateThread.h"

#include "engine/MainThreadCalls.h"
#include "engine/StopGate.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

bool TGateJob::Stopped() const
{
    return m_shared->Gate->IsStopped();
}

bool TGateJob::CallMain(std::function<void()> call) const
{
    return m_shared->Gate->CallMain(std::move(call));
}

bool TGateJob::CallMainInTurn(std::function<void()> call) const
{
    const std::shared_ptr<TShared> shared = m_shared;
    unsigned long long ticket = 0;
    {
        std::lock_guard guard(shared->Lock);
        ticket = ++shared->Posted;
    }
    // The hand-over goes through the main-thread calls (whose queue is ours,
    // so the data crossing threads is seen by ThreadSanitizer); from there a
    // zero timer runs the call from the event loop, outside that queue.
    const bool posted = shared->Gate->CallMain([shared, ticket, call = std::move(call)] {
        QTimer::singleShot(0, QCoreApplication::instance(), [shared, ticket, call] {
            // Stops happen on the main thread: a job not stopped now stays
            // so until the call returns.
            if (shared->Gate->IsStopped())
                return;
            call();
            {
                std::lock_guard guard(shared->Lock);
                shared->Done = ticket;
            }
            shared->Answered.notify_all();
        });
    });
    if (!posted)
        return false;
    std::unique_lock guard(shared->Lock);
    shared->Answered.wait(guard, [&] { return shared->Done >= ticket || shared->Gate->IsStopped(); });
    return shared->Done >= ticket;
}

TGateThread::TGateThread()
    : m_shared(std::make_shared<TGateJob::TShared>())
{
    m_shared->Gate = std::make_shared<TStopGate>();
    // The main-thread calls are set up on the main thread, before any job
    // could need them.
    TMainThreadCalls::Instance();
    QThread::currentThread();
}

TGateThread::~TGateThread()
{
    Stop();
    Wait();
}

void TGateThread::Start(std::function<void(const TGateJob &)> job)
{
    if (m_started)
        return;
    m_started = true;
    m_thread = std::thread([shared = m_shared, job = std::move(job)] {
        try {
            job(TGateJob(shared));
        } catch (...) {
            // A job ends quietly on an error it did not expect; its window
            // keeps working.
        }
    });
}

void TGateThread::Stop()
{
    m_shared->Gate->Stop();
    // Taking the lock orders the stop before a waiter's next look at it.
    { std::lock_guard guard(m_shared->Lock); }
    m_shared->Answered.notify_all();
}

void TGateThread::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool TGateThread::Stopped() const
{
    return m_shared->Gate->IsStopped();
}
