#include "engine/MainThreadCalls.h"

#include "engine/Errors.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

TMainThreadCalls &TMainThreadCalls::Instance()
{
    static TMainThreadCalls *const instance = new TMainThreadCalls;
    return *instance;
}

TMainThreadCalls::TMainThreadCalls()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        throw EZavelonError(QStringLiteral("worker calls must be set up on the main thread"));
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        throw EZavelonError(QStringLiteral("cannot make the event descriptor for worker calls"));
    m_notifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TMainThreadCalls::RunPending);
}

void TMainThreadCalls::Post(std::function<void()> call)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(std::move(call));
        wake = !m_woken;
        m_woken = true;
    }
    if (wake) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

void TMainThreadCalls::RunPending()
{
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(m_wakeFd, &count, sizeof count);
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_calls.empty()) {
                m_woken = false;
                return;
            }
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        try {
            call();
        } catch (...) {
            // A failing call must neither reach the event loop nor hold up
            // the calls behind it.
        }
    }
}
