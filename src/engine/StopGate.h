#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The one way a background thread of ours shares things with the main
// thread and is stopped by it: download workers, picture-adding threads, and
// the loader and copy threads of the windows.
//
// - Locked(step): a short step (a list operation, a file write, a rename)
//   runs under the gate's mutex, and only while no stop has come. A stop
//   takes the same mutex, so once Stop() has returned no step runs any more.
// - CallMain(call): the call is posted to the main thread's event loop
//   (TMainThreadCalls) and waited for; the wait ends at once when a stop
//   comes, and a call that reaches the main thread after the stop does
//   nothing. Stops happen on the main thread too, so a call that has begun
//   runs to its end with no stop in between.
// - Stop(): sets the flag under the mutex and wakes a waiting CallMain. It
//   waits for nobody but the mutex, which is only ever held for short steps,
//   so it returns at once and leaves no lock held; the thread then only
//   unwinds. Nothing kills a thread.
//
// Calls posted to the main thread keep the gate alive, so it is always owned
// through a shared_ptr (std::make_shared) and may outlive its owner.
class TStopGate : public std::enable_shared_from_this<TStopGate>
{
public:
    TStopGate() = default;
    TStopGate(const TStopGate &) = delete;
    TStopGate &operator=(const TStopGate &) = delete;

    // Runs `step` under the gate unless stopped; false when stopped.
    template <typename Step>
    bool Locked(Step &&step)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_stopped)
            return false;
        step();
        return true;
    }

    // Runs `step` under the gate whether stopped or not (clean-up that must
    // not race a stop).
    template <typename Step>
    void Guarded(Step &&step)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        step();
    }

    // Runs `call` on the main thread and waits for it. False, without
    // waiting, when stopped before or while waiting. From a background thread
    // only: on the main thread it would wait for itself.
    bool CallMain(std::function<void()> call);

    // Stops: `beforeStop`, run under the gate when no stop has come yet,
    // decides whether to stop now (and may drop what must go with the stop,
    // such as an open file). True when the gate is stopped afterwards.
    bool Stop(const std::function<bool()> &beforeStop = {});

    bool IsStopped() const { return m_stopped.load(); }
    // For waits of the thread's own (a page lock) that must give up on a stop.
    const std::atomic<bool> &StopFlag() const { return m_stopped; }

private:
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::atomic<bool> m_stopped{false};
    unsigned long long m_callsPosted = 0;
    unsigned long long m_callsAnswered = 0;
};
