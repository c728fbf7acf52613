#include "engine/ThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Waits for a condition that another thread brings about; the deadline is a
// guard against a hang, not a measurement.
template <typename Condition>
bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A gate that jobs pass only once `expected` of them have arrived at it.
class TMeeting
{
public:
    explicit TMeeting(int expected)
        : m_expected(expected)
    {
    }

    // False when the others did not come in time (the pool queued jobs).
    bool Arrive()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        ++m_arrived;
        m_changed.notify_all();
        return m_changed.wait_for(guard, 20s, [this] { return m_arrived >= m_expected; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    const int m_expected;
    int m_arrived = 0;
};

} // namespace

// Workers wait for each other and for the main thread: a job that had to
// wait for a free thread could wait for ever.
TEST(ThreadPool, EveryJobGetsAThreadAtOnce)
{
    TThreadPool pool(nullptr, 2, 10s);
    constexpr int kJobs = 6;
    auto meeting = std::make_shared<TMeeting>(kJobs);
    std::atomic<int> met{0};
    for (int i = 0; i < kJobs; ++i)
        pool.Run([meeting, &met] { met += meeting->Arrive() ? 1 : 0; });
    EXPECT_TRUE(Eventually([&] { return met.load() == kJobs; }));
    // Only two of the six threads stay parked.
    EXPECT_TRUE(Eventually([&] { return pool.Parked() == 2; }));
}

TEST(ThreadPool, AParkedThreadTakesTheNextJobWithoutANewSetUp)
{
    std::atomic<int> setUps{0};
    TThreadPool pool([&setUps] { ++setUps; }, 4, 10s);
    std::thread::id first;
    std::thread::id second;
    std::atomic<bool> done{false};
    pool.Run([&] { first = std::this_thread::get_id(); done = true; });
    ASSERT_TRUE(Eventually([&] { return done.load() && pool.Parked() == 1; }));
    done = false;
    pool.Run([&] { second = std::this_thread::get_id(); done = true; });
    ASSERT_TRUE(Eventually([&] { return done.load() && pool.Parked() == 1; }));
    EXPECT_EQ(first, second);
    EXPECT_NE(first, std::this_thread::get_id());
    EXPECT_EQ(setUps.load(), 1);
}

// A worker's job holds its shared state; a parked thread must not keep it
// alive until some later job comes.
TEST(ThreadPool, CapturesAreGoneBeforeTheThreadParks)
{
    TThreadPool pool(nullptr, 4, 10s);
    auto state = std::make_shared<int>(7);
    pool.Run([state] {});
    ASSERT_TRUE(Eventually([&] { return pool.Parked() == 1; }));
    EXPECT_EQ(state.use_count(), 1);
}

TEST(ThreadPool, IdleThreadsEndAfterTheirTimeout)
{
    TThreadPool pool(nullptr, 4, 20ms);
    std::atomic<bool> done{false};
    pool.Run([&done] { done = true; });
    EXPECT_TRUE(Eventually([&] { return done.load(); }));
    EXPECT_TRUE(Eventually([&] { return pool.Parked() == 0; }));
    // A job after that gets a new thread.
    done = false;
    pool.Run([&done] { done = true; });
    EXPECT_TRUE(Eventually([&] { return done.load(); }));
}
