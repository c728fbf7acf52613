#include "engine/TaskThread.h"

#include "engine/AsciiText.h"
#include "engine/FileNames.h"
#include "engine/HTMLScan.h"
#include "engine/HttpClient.h"
#include "engine/ItemPriority.h"
#include "engine/MainThreadCalls.h"
#include "engine/MaskEntry.h"
#include "engine/PageLock.h"
#include "engine/StopGate.h"
#include "engine/RegOptions.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/ThreadPool.h"
#include "engine/WriteFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <mutex>
#include <system_error>

#include <pthread.h>
#include <sched.h>

namespace {

// ---- Process-wide: the picture hook and the count of live threads --------

// Never destroyed: a stopped worker may still unwind while the process exits.
struct TWorkerGlobals {
    std::mutex hookLock;
    std::function<void(const QString &)> pictureSaved;
    std::mutex liveLock;
    std::condition_variable liveChanged;
    int liveThreads = 0;
};

TWorkerGlobals &Globals()
{
    static TWorkerGlobals *const globals = new TWorkerGlobals;
    return *globals;
}

void ThreadStarted()
{
    std::lock_guard<std::mutex> guard(Globals().liveLock);
    ++Globals().liveThreads;
}

void ThreadFinished()
{
    // Notified under the lock: once a waiter sees the count drop, this
    // thread no longer touches anything of the process's.
    std::lock_guard<std::mutex> guard(Globals().liveLock);
    --Globals().liveThreads;
    Globals().liveChanged.notify_all();
}

// Bytes written per step while saving a page, so that a stop never waits for
// more than one step.
constexpr qint64 kPageWriteStep = 1 << 20;

} // namespace

// ---- State shared by the thread, its handle and its posted calls --------

class TWorkerState : public std::enable_shared_from_this<TWorkerState>
{
public:
    TWorkerState(TTask *task, TTaskItem *item, TTaskThread *handle, const QString &url)
        : Task(task)
        , Item(item)
        , Handle(handle)
        , Url(url)
        , Depth(item ? item->Depth() : 0)
        , Options(task->Options())
        , TaskParentDomain(ParentDomain(AsciiLower(TrimLowChars(task->URL().Host()))))
        , PageLock(task->PageLock())
    {
    }

    // Inputs, fixed before the thread starts.
    TTask *const Task;
    TTaskItem *const Item;
    TTaskThread *const Handle;
    const QString Url;
    const int Depth;
    const TRegOptions Options;
    const QString TaskParentDomain;
    const std::shared_ptr<TPageLock> PageLock;
    std::function<void(TTaskThread *)> OnEnded; // main thread only

    THttpClient Client;

    // Runs `step` inside the gate unless the worker is stopped; false when
    // stopped. Steps are short and never wait for the main thread.
    template <typename Step>
    bool Locked(Step &&step)
    {
        return m_gate->Locked(std::forward<Step>(step));
    }

    bool IsStopped() const { return m_gate->IsStopped(); }
    const std::atomic<bool> &StopFlag() const { return m_gate->StopFlag(); }

    // Runs `call` on the main thread and waits for it (see TStopGate).
    bool CallMain(std::function<void()> call) { return m_gate->CallMain(std::move(call)); }

    // The file being written, closed and deleted by a stop. `claimed` tells
    // whether the path holds a write claim (the "!!wr" files).
    bool OpenFile(const QString &path, bool claimed);
    bool WriteFile(const char *data, qint64 size);
    // Closes the file; deletes it when `keep` is false. Returns its size.
    qint64 CloseFile(bool keep);

    // Worker side, at its end: marks it ended unless stopped. False when
    // stopped (no end handling then).
    bool MarkEnded();
    bool IsEnded();

    // Main-thread side. `force` stops also a worker that has ended by
    // itself (its handle is going away); otherwise such a worker is left to
    // its end handling and false is returned.
    bool Stop(bool force);

private:
    // Under the gate.
    void DropFile(bool keep);

    const std::shared_ptr<TStopGate> m_gate = std::make_shared<TStopGate>();
    bool m_ended = false;

    std::unique_ptr<QFile> m_file;
    QString m_filePath;
    bool m_fileClaimed = false;
};

bool TWorkerState::OpenFile(const QString &path, bool claimed)
{
    bool opened = false;
    m_gate->Locked([&] {
        if (claimed && !ClaimWriteFile(path))
            return; // another worker of this process is writing it
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            if (claimed)
                ReleaseWriteFile(path);
            return;
        }
        m_file = std::move(file);
        m_filePath = path;
        m_fileClaimed = claimed;
        if (Item)
            Item->SetCurrentFile(path);
        opened = true;
    });
    return opened;
}

bool TWorkerState::WriteFile(const char *data, qint64 size)
{
    bool written = false;
    m_gate->Locked([&] { written = m_file && m_file->write(data, size) == size; });
    return written;
}

qint64 TWorkerState::CloseFile(bool keep)
{
    qint64 size = 0;
    m_gate->Guarded([&] {
        if (!m_file)
            return;
        size = m_file->size();
        const bool stopped = m_gate->IsStopped();
        DropFile(keep && !stopped);
        if (Item && !stopped)
            Item->SetCurrentFile(QString());
    });
    return size;
}

void TWorkerState::DropFile(bool keep)
{
    if (!m_file)
        return;
    m_file->close();
    m_file.reset();
    if (!keep)
        QFile::remove(m_filePath);
    if (m_fileClaimed)
        ReleaseWriteFile(m_filePath);
    m_filePath.clear();
    m_fileClaimed = false;
}

bool TWorkerState::MarkEnded()
{
    return m_gate->Locked([&] { m_ended = true; });
}

bool TWorkerState::IsEnded()
{
    bool ended = false;
    m_gate->Guarded([&] { ended = m_ended; });
    return ended;
}

bool TWorkerState::Stop(bool force)
{
    const bool stopped = m_gate->Stop([&] {
        if (m_ended && !force)
            return false;
        DropFile(false);
        if (Item)
            Item->SetCurrentFile(QString());
        Client.Cancel();
        return true;
    });
    if (!stopped)
        return false;
    PageLock->Release(this);
    PageLock->WakeWaiters();
    return true;
}

// ---- The per-URL algorithm, on the worker's thread -----------------------

namespace {

class TWorkerRun
{
public:
    explicit TWorkerRun(TWorkerState &state)
        : m_state(state)
        , m_url(state.Url)
    {
    }

    void Execute();

private:
    // The extension of the worker's URL, and the same without its dot
    // ("html" for a document without extension), as they are at this step.
    QString Extension() const { return TTaskThread::ExtractFileExt(m_url.Document()); }
    QString BareExtension() const
    {
        const QString extension = Extension();
        return extension.isEmpty() ? QStringLiteral("html") : extension.mid(1);
    }

    void SetUpClient();
    bool Log(const QString &message);
    void Progress(qint64 received);
    bool FetchPage(QByteArray &text);
    // False when the worker ends with it (a failed fetch or save, a stop).
    bool PageStep();
    bool SavePage(const QByteArray &text, const QString &maskEntry);
    void QueueLink(const QString &link);
    void PictureStep();
    bool SizeAllowed();
    bool DownloadPicture(const QString &finalName, qint64 &size);
    bool MakeFolder(const QString &folder);

    TWorkerState &m_state;
    TParsedUrl m_url;
};

void TWorkerRun::Execute()
{
    SetUpClient();
    if (IsPageExtension(Extension()) && m_state.Depth < m_state.Options.SeekDeep && !PageStep())
        return;
    PictureStep();
}

void TWorkerRun::SetUpClient()
{
    const TRegOptions &options = m_state.Options;
    THttpClient &client = m_state.Client;
    if (options.UseProxyServer) {
        client.ProxyServer = options.ProxyServerAddr;
        client.ProxyPort = options.ProxyServerPort;
        client.ProxyUsername = options.ProxyLoginUserName;
        client.ProxyPassword = options.ProxyLoginPassword;
    }
    if (options.NeedToLogin) {
        client.Username = options.LoginUserName;
        client.Password = options.LoginPassword;
    }
    client.OnWork = [this](qint64 received) { Progress(received); };
}

bool TWorkerRun::Log(const QString &message)
{
    TTask *task = m_state.Task;
    return m_state.CallMain([task, message] { task->ShowLog(message); });
}

void TWorkerRun::Progress(qint64 received)
{
    bool shown = false;
    if (!m_state.Locked([&] { shown = m_state.Task->Shown(); }) || !shown)
        return; // only a shown task's row changes; spare the main thread
    const qint64 length = m_state.Client.ContentLength();
    TTask *task = m_state.Task;
    TTaskThread *handle = m_state.Handle;
    m_state.CallMain([task, handle, received, length] {
        handle->SetProgress(received, length);
        task->UpdateProgressRow(handle);
    });
}

bool TWorkerRun::FetchPage(QByteArray &text)
{
    try {
        text = m_state.Client.Get(m_url.URI());
        return true;
    } catch (const std::exception &) {
        if (m_state.IsStopped())
            return false;
    }
    // A directory named without its final "/" often answers with a
    // redirection: ask once more for the directory itself.
    m_url.SetURI(m_url.URI() + QLatin1Char('/'));
    try {
        text = m_state.Client.Get(m_url.URI());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TWorkerRun::PageStep()
{
    if (!Log(QStringLiteral("Attach \"%1\"").arg(m_url.URI())))
        return false;
    QByteArray text;
    if (!FetchPage(text))
        return false;
    THTMLScan scanner;
    if (!m_state.PageLock->Acquire(&m_state, m_state.StopFlag()))
        return false;
    struct Unlock {
        TWorkerState &state;
        ~Unlock() { state.PageLock->Release(&state); }
    } unlock{m_state};

    QString mainUrl = m_url.Protocol() + QStringLiteral("://") + m_url.Host();
    if (!m_url.Port().isEmpty())
        mainUrl += QLatin1Char(':') + m_url.Port();
    scanner.SetMainURL(mainUrl + m_url.Path());
    scanner.SetHTMLText(text);

    const int maskIndex = m_state.Options.FindMaskIndex(BareExtension());
    if (maskIndex >= 0 && !SavePage(text, m_state.Options.FileMasks.value(maskIndex)))
        return false;
    const TURLPathItems &links = scanner.Links();
    if (!Log(QStringLiteral("Links found : %1").arg(links.Count())))
        return false;
    for (int i = 0; i < links.Count() && !m_state.IsStopped(); ++i)
        QueueLink(links.Get(i)->URL());
    return !m_state.IsStopped();
}

bool TWorkerRun::MakeFolder(const QString &folder)
{
    // One level only; a folder that cannot be made shows later as a file
    // that cannot be written.
    return m_state.Locked([&] { QDir().mkdir(folder); });
}

bool TWorkerRun::SavePage(const QByteArray &text, const QString &maskEntry)
{
    const QString folder = m_state.Options.DefaultFolder + SplitMaskEntry(maskEntry).Folder;
    if (!MakeFolder(folder))
        return false;
    QString name;
    const QString document = m_url.Document();
    if (document.isEmpty())
        name = AddBackslash(folder) + QStringLiteral("index.html");
    else
        name = AddBackslash(folder) + document
            + (TTaskThread::ExtractFileExt(document).isEmpty() ? QStringLiteral(".html") : QString());
    name = UniqueFileName(name);
    if (!m_state.OpenFile(name, false))
        return false;
    const QByteArray lines = TTaskThread::TextLines(text);
    bool written = true;
    for (qint64 at = 0; written && at < lines.size(); at += kPageWriteStep)
        written = m_state.WriteFile(lines.constData() + at, qMin(kPageWriteStep, lines.size() - at));
    // A page that could not be written whole is not left behind half-written.
    m_state.CloseFile(written);
    return written && !m_state.IsStopped();
}

void TWorkerRun::QueueLink(const QString &link)
{
    TTask *task = m_state.Task;
    bool known = false;
    if (!m_state.Locked([&] { known = task->Items().IndexOfURL(link) != -1; }) || known)
        return;
    const TParsedUrl url(link);
    const QString parentDomain = ParentDomain(AsciiLower(TrimLowChars(url.Host())));
    if (parentDomain != m_state.TaskParentDomain && TrimLowChars(url.Document()).isEmpty())
        return;
    TTaskItem *listed = nullptr;
    bool shown = false;
    const int depth = m_state.Depth + 1;
    const bool queued = m_state.Locked([&] {
        shown = task->Shown();
        auto *item = new TTaskItem(task, link);
        item->SetDepth(depth);
        TTaskItemList &items = task->Items();
        bool added = false;
        const int index = items.AddSorted(item, &added);
        listed = items.Get(index);
        if (!added)
            delete item;
    });
    if (!queued || !shown)
        return;
    m_state.CallMain([task, listed] {
        if (task->Shown())
            task->AddItemRow(listed);
    });
}

void TWorkerRun::PictureStep()
{
    const TRegOptions &options = m_state.Options;
    const QString bare = BareExtension();
    const int maskIndex = options.FindMaskIndex(bare);
    if (maskIndex < 0 || IsPageExtension(bare) || options.IsExcludedFile(m_url.Document()))
        return;
    if (options.EnableFileLimit && !SizeAllowed())
        return;
    const QString folder = options.DefaultFolder + SplitMaskEntry(options.FileMasks.value(maskIndex)).Folder;
    if (!MakeFolder(folder))
        return;
    const QString finalName = UniqueFileName(AddBackslash(folder) + m_url.Document());
    qint64 size = 0;
    if (!DownloadPicture(finalName, size))
        return;
    // The row and the log line in one call, in this order: each wait for the
    // main thread costs two thread wake-ups, and a crawl of small pictures
    // spends more time in them than in most of its own work.
    TTask *task = m_state.Task;
    const QString saved = QStringLiteral("File \"%1\" saved").arg(QFileInfo(finalName).fileName());
    const bool listed = m_state.CallMain([task, finalName, size, saved] {
        try {
            task->AddPictureRow(finalName, size);
        } catch (...) {
            // As after any failing view call, the worker goes on: the save
            // is logged all the same.
        }
        task->ShowLog(saved);
    });
    if (!listed)
        return;
    std::lock_guard<std::mutex> guard(Globals().hookLock);
    if (Globals().pictureSaved && !m_state.IsStopped())
        Globals().pictureSaved(finalName);
}

bool TWorkerRun::SizeAllowed()
{
    qint64 length = 0;
    try {
        length = m_state.Client.Head(m_url.URI());
    } catch (const std::exception &) {
        return false;
    }
    const TRegOptions &options = m_state.Options;
    return qint64(options.FileMinSize) * 1024 < length && length < qint64(options.FileMaxSize) * 1024;
}

bool TWorkerRun::DownloadPicture(const QString &finalName, qint64 &size)
{
    const QString temporary = finalName + QStringLiteral("!!wr");
    if (!m_state.OpenFile(temporary, true))
        return false;
    const QString temporaryName = QFileInfo(temporary).fileName();
    if (!Log(QStringLiteral("Saving file \"%1\"").arg(temporaryName)))
        return false;

    // With the size limit on, the body itself must stay below the upper
    // bound, whatever the server announced.
    const TRegOptions &options = m_state.Options;
    const qint64 limit = options.EnableFileLimit ? qint64(options.FileMaxSize) * 1024 : -1;
    qint64 received = 0;
    const THttpClient::Sink sink = [&](const char *data, qint64 size) {
        received += size;
        if (limit >= 0 && received >= limit)
            return false;
        return m_state.WriteFile(data, size);
    };
    bool fetched = true;
    try {
        m_state.Client.Get(m_url.URI(), sink, QStringLiteral("the picture is too large or cannot be written"));
    } catch (const std::exception &) {
        fetched = false;
    }
    // A failed download leaves no partial file behind.
    size = m_state.CloseFile(fetched);
    if (!fetched || m_state.IsStopped())
        return false;

    bool renamed = false;
    if (!m_state.Locked([&] { renamed = QFile::rename(temporary, finalName); }))
        return false;
    if (!renamed) {
        Log(QStringLiteral("Rename file \"%1\" failed").arg(temporaryName));
        return false;
    }
    return true;
}

} // namespace

// ---- TTaskThread ----------------------------------------------------------

TTaskThread::TTaskThread(TTask *task, const QString &url, TTaskItem *item)
    : m_task(task)
    , m_item(item)
    , m_state(std::make_shared<TWorkerState>(task, item, this, url))
{
    // The item keeps its worker after the end, so a long crawl holds one of
    // these per done item: sharing the item's split URL instead of splitting
    // the text again saves five strings each.
    if (item && item->URL().URI() == url)
        m_url = item->URL();
    else
        m_url.SetURI(url);
}

TTaskThread::~TTaskThread()
{
    if (m_state)
        m_state->Stop(true);
}

void TTaskThread::SetProgress(qint64 received, qint64 length)
{
    m_received = received;
    m_length = length;
}

namespace {

// The lowest scheduling class: what QThread::IdlePriority means on Linux.
void LowerToIdlePriority()
{
    sched_param parameters{};
    parameters.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}

// Workers' system threads, kept at idle priority for their whole life. Eight
// per running task, plus the ones that still unwind after a stop: a few
// tasks' worth park between items.
TThreadPool &WorkerThreads()
{
    static TThreadPool *const pool = new TThreadPool(LowerToIdlePriority, 32, std::chrono::seconds(5));
    return *pool;
}

// The thread's body: the algorithm, then the end notification, unless the
// worker was stopped.
void RunWorker(const std::shared_ptr<TWorkerState> &state)
{
    try {
        TWorkerRun(*state).Execute();
    } catch (...) {
        // Every failure ends the worker quietly; its item still counts as
        // done.
    }
    state->CloseFile(false);
    if (!state->MarkEnded())
        return;
    TMainThreadCalls::Instance().Post([state] {
        if (!state->IsStopped() && state->OnEnded)
            state->OnEnded(state->Handle);
    });
}

} // namespace

bool TTaskThread::Start(std::function<void(TTaskThread *)> onEnded, QString *error)
{
    m_state->OnEnded = std::move(onEnded);
    TMainThreadCalls::Instance(); // made on the main thread, before any post
    ThreadStarted();
    try {
        // Not waited for: a stopped worker may still unwind after its handle
        // and task are gone; it holds nothing of theirs but the shared state.
        WorkerThreads().Run([state = m_state]() mutable {
            RunWorker(state);
            state.reset();
            ThreadFinished();
        });
        return true;
    } catch (const std::system_error &failure) {
        // The system has no thread to give (limits reached). The worker
        // never ran; its item must not pass for done.
        ThreadFinished();
        m_state->Stop(true);
        if (error)
            *error = QString::fromLocal8Bit(failure.what());
        return false;
    }
}

void TTaskThread::Release()
{
    if (m_state && m_state->IsEnded())
        m_state.reset();
}

bool TTaskThread::Stop()
{
    return !m_state || m_state->Stop(false);
}

bool TTaskThread::Ended() const
{
    return !m_state || m_state->IsEnded();
}

QString TTaskThread::ExtractFileExt(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char(':')));
    return dot > separator ? name.mid(dot) : QString();
}

QByteArray TTaskThread::TextLines(const QByteArray &text)
{
    QByteArray lines;
    lines.reserve(text.size() + text.size() / 16);
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end && *p != '\0') {
        const char *start = p;
        while (p < end && *p != '\0' && *p != '\n' && *p != '\r')
            ++p;
        lines.append(start, p - start);
        lines.append("\r\n", 2);
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
    return lines;
}

void TTaskThread::SetPictureSavedHook(std::function<void(const QString &)> hook)
{
    std::lock_guard<std::mutex> guard(Globals().hookLock);
    Globals().pictureSaved = std::move(hook);
}

int TTaskThread::LiveThreads()
{
    std::lock_guard<std::mutex> guard(Globals().liveLock);
    return Globals().liveThreads;
}

bool TTaskThread::WaitForAll(int timeoutMs)
{
    std::unique_lock<std::mutex> guard(Globals().liveLock);
    return Globals().liveChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                          [] { return Globals().liveThreads == 0; });
}
