#pragma once

#include "images/ui/GateThread.h"

#include <functional>
#include <vector>

class TImageDetail;
class TImageLibrary;

// The library window's loader: reads the library's records on a thread of
// its own and hands them to the window in batches, so that the window opens
// at once and stays responsive while a large library fills its list. It
// reads the record count once: records added meanwhile wait for the next
// opening. Every callback runs on the main thread, none after Stop().
class TLoadImageThread
{
public:
    struct TSink {
        // Before the first record: how many records will come.
        std::function<void(int count)> Begin;
        // The next records in library order; `lastIndex` is the library
        // index of the last of them.
        std::function<void(const std::vector<const TImageDetail *> &records, int lastIndex)> Records;
        // After the last record (not after a stop).
        std::function<void()> End;
    };

    // `library` must outlive the thread.
    TLoadImageThread(const TImageLibrary &library, TSink sink);
    TLoadImageThread(const TLoadImageThread &) = delete;
    TLoadImageThread &operator=(const TLoadImageThread &) = delete;

    void Start();
    void Stop() { m_thread.Stop(); }
    void Wait() { m_thread.Wait(); }

    // Records handed over at once: a batch is a single insertion into the
    // list, and the window answers the user between two batches.
    static constexpr int kBatch = 4096;

private:
    const TImageLibrary &m_library;
    const TSink m_sink;
    TGateThread m_thread;
};
