#include "images/AddImageThread.h"

#include "engine/Errors.h"
#include "engine/StopGate.h"
#include "engine/ThreadPool.h"
#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "imaging/DecodeControl.h"

#include <QThread>

#include <algorithm>
#include <thread>

namespace {

// Adding threads run at normal priority, like the thread that starts them in
// a plain run; a crawl has about one per worker running at a time.
TThreadPool &AddingThreads()
{
    static TThreadPool *const pool = new TThreadPool(nullptr, 16, std::chrono::seconds(5));
    return *pool;
}

// Pictures decoded at once: one per processor. A crawl of large photographs
// saves them faster than they can be decoded; decoding them all at once
// would hold every decoded picture in memory together, and would leave each
// of them half done when the program ends them. Threads beyond wait for a
// slot, and an ended thread stops waiting.
class TDecodeSlots
{
public:
    TDecodeSlots()
        : m_free(int(std::max(2u, std::thread::hardware_concurrency())))
    {
    }

    // False when `stopped` came first.
    bool Acquire(const std::atomic<bool> &stopped)
    {
        std::unique_lock guard(m_lock);
        while (m_free == 0) {
            if (stopped)
                return false;
            m_freed.wait_for(guard, std::chrono::milliseconds(20));
        }
        if (stopped)
            return false;
        --m_free;
        return true;
    }

    void Release()
    {
        {
            std::lock_guard guard(m_lock);
            ++m_free;
        }
        m_freed.notify_one();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_freed;
    int m_free;
};

TDecodeSlots &DecodeSlots()
{
    static TDecodeSlots *const decodeSlots = new TDecodeSlots; // never destroyed, like the pool
    return *decodeSlots;
}

} // namespace

TAddImageThread::TAddImageThread(TImageLibrary *library, const QString &path, bool quiet)
    : m_library(library)
    , m_path(path)
    , m_quiet(quiet)
    , m_gate(std::make_shared<TStopGate>())
{
    // Registers the starting thread with Qt before the adding thread makes
    // its first QObject (the QFile that measures the picture). Without an
    // application object Qt takes the first thread that needs its thread
    // data as its main thread, and the image plugins it makes are moved to
    // that thread. Were that an adding thread, its exit would leave Qt's
    // main-thread data counted down to nothing while the plugins still refer
    // to it, and their destruction at process exit would touch it after it
    // was freed (a heap corruption glibc reports at exit).
    QThread::currentThread();
    AddingThreads().Run([this, done = m_done] {
        Execute();
        std::lock_guard guard(done->lock);
        done->done = true;
        done->changed.notify_all();
    });
}

TAddImageThread::~TAddImageThread()
{
    End();
    WaitFor();
}

void TAddImageThread::End()
{
    m_gate->Stop();
}

bool TAddImageThread::Finished() const
{
    std::lock_guard guard(m_done->lock);
    return m_done->done;
}

void TAddImageThread::WaitFor()
{
    std::unique_lock guard(m_done->lock);
    m_done->changed.wait(guard, [this] { return m_done->done; });
}

void TAddImageThread::Execute()
{
    try {
        AddUnlessEnded();
    } catch (const std::exception &) {
        // A file that cannot be measured is not recorded; nobody is told.
    }
}

void TAddImageThread::AddUnlessEnded()
{
    // AddImageFile in its two halves, the library touched only under the
    // gate: the quick presence test, the measuring without any lock, then
    // the insertion (which tests presence again under the library's lock).
    bool known = true;
    if (!m_gate->Locked([&] { known = m_library->Find(m_path) != nullptr; }) || known)
        return;
    if (!DecodeSlots().Acquire(m_gate->StopFlag()))
        return;
    struct Slot {
        ~Slot() { DecodeSlots().Release(); }
    } slot;
    // An end gives up the decoding at once: nobody will record its result.
    const TAbandonDecoding abandon(m_gate->StopFlag());
    std::unique_ptr<TImageDetail> record = MakeImageDetail(m_path);
    m_gate->Locked([&] { m_library->AddIfAbsent(std::move(record), m_quiet); });
}

TAddImageThreadList::~TAddImageThreadList()
{
    EndAll();
    // Each thread's destructor waits for its decoding to finish.
    std::lock_guard lock(m_lock);
    m_threads.clear();
}

TAddImageThread *TAddImageThreadList::Start(TImageLibrary &library, const QString &path, bool quiet)
{
    std::lock_guard lock(m_lock);
    if (m_ended)
        return nullptr;
    m_threads.push_back(std::make_unique<TAddImageThread>(&library, path, quiet));
    return m_threads.back().get();
}

int TAddImageThreadList::Count() const
{
    std::lock_guard lock(m_lock);
    return int(m_threads.size());
}

TAddImageThread *TAddImageThreadList::Items(int index) const
{
    std::lock_guard lock(m_lock);
    if (index < 0 || size_t(index) >= m_threads.size())
        throw EZavelonError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_threads[size_t(index)].get();
}

void TAddImageThreadList::EndAll()
{
    std::lock_guard lock(m_lock);
    m_ended = true;
    for (const auto &thread : m_threads)
        thread->End();
}
