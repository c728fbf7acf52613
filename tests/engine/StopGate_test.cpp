// The shared gate of our background threads: a call into the main thread is
// waited for, and a stop ends the wait at once and cancels what has not run.
#include "engine/MainThreadCalls.h"
#include "engine/StopGate.h"
#include "engine/WorkerHarness.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace {

TEST(StopGate, CallMainRunsOnTheMainThreadAndWaitsForIt)
{
    EnsureApplication();
    TMainThreadCalls::Instance();
    auto gate = std::make_shared<TStopGate>();
    QThread *mainThread = QThread::currentThread();
    std::atomic<bool> ranOnMain{false};
    auto answered = std::async(std::launch::async, [&] {
        return gate->CallMain([&] { ranOnMain = QThread::currentThread() == mainThread; });
    });
    ASSERT_TRUE(PumpUntil([&] { return answered.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(answered.get());
    EXPECT_TRUE(ranOnMain);
}

TEST(StopGate, StopEndsTheWaitAndTheCallNeverRuns)
{
    EnsureApplication();
    TMainThreadCalls::Instance();
    auto gate = std::make_shared<TStopGate>();
    std::atomic<bool> ran{false};
    std::atomic<bool> posting{false};
    auto answered = std::async(std::launch::async, [&] {
        posting = true;
        return gate->CallMain([&] { ran = true; });
    });
    // The main thread does not run its event loop, so the call waits until
    // the stop ends the wait.
    while (!posting)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(gate->Stop());
    EXPECT_FALSE(answered.get());
    PumpFor(20);
    EXPECT_FALSE(ran) << "a call that reaches the main thread after the stop does nothing";
    EXPECT_FALSE(gate->Locked([] {}));
    EXPECT_FALSE(gate->CallMain([&] { ran = true; }));
}

TEST(StopGate, StopMayBeDeclinedUnderTheGate)
{
    auto gate = std::make_shared<TStopGate>();
    EXPECT_FALSE(gate->Stop([] { return false; }));
    EXPECT_FALSE(gate->IsStopped());
    int steps = 0;
    EXPECT_TRUE(gate->Locked([&] { ++steps; }));
    EXPECT_TRUE(gate->Stop([] { return true; }));
    EXPECT_TRUE(gate->Stop([] { return false; })) << "once stopped, it stays stopped";
    gate->Guarded([&] { ++steps; });
    EXPECT_EQ(steps, 2);
}

} // namespace
