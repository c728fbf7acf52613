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
#include "engine/TaskJournal.h"
#include "engine/TaskViews.h"
#include "engine/ThreadPool.h"
#include "engine/WriteFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <system_error>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>

namespace {

// ---- Process-wide: the picture hook and the count of live threads --------

// Never destroyed: a stopped worker may still unwind while the process exits.
struct TWorkerGlobals {
    // Shared by the workers calling the hook, exclusive for setting it.
    std::shared_mutex hookLock;
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
        , LoginOrigin(task->Options().NeedToLogin ? THttpClient::Origin(task->URL().URI()) : QString())
        , PageLock(task->PageLock())
        , Journal(task->Journal())
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
    // Where the site login may go: the start URL's scheme, host and port.
    const QString LoginOrigin;
    const std::shared_ptr<TPageLock> PageLock;
    const std::shared_ptr<TTaskJournal> Journal; // null for a task without a file
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

    // Chooses and claims the final name of a file to write in one step
    // (ClaimUniqueFileName); the claim goes with the stop. Empty when
    // stopped.
    QString ClaimName(const QString &path, int reserve);
    void ReleaseClaim();

    // Creates the file exclusively and holds it (HoldOpenFile); a stop
    // closes and deletes it. False with the reason in `error`, and
    // `exists` set when the name was taken meanwhile.
    bool OpenFile(const QString &path, QString &error, bool &exists);
    bool WriteFile(const char *data, qint64 size);
    // Why the last write failed.
    QString FileError();
    // Writes out what is buffered; the file stays open (and held) for its
    // rename. False with the reason when that fails.
    bool FlushFile(qint64 &size, QString &error);
    // Closes the file; deletes it when `keep` is false.
    void CloseFile(bool keep);

    enum class TCommit { Done, Stopped, Failed };
    // Puts the complete temporary file in place under `finalName` without
    // replacing any file (a name taken meanwhile gives way to the next free
    // one, and `finalName` tells which), in one step with its journal line;
    // then tells the picture hook. Failed: the reason in `error`, the
    // temporary file deleted.
    TCommit Commit(const QString &temporary, const QString &base, QString &finalName, QString &error);

    // Worker side, at its end: publishes the result, journals a done item,
    // and marks the worker ended, unless stopped. False when stopped (no end
    // handling then).
    bool Finish(const TWorkResult &result);
    bool IsEnded();
    TWorkResult Result();
    bool Committed();

    // Main-thread side. `force` stops also a worker that has ended by
    // itself (its handle is going away); otherwise such a worker is left to
    // its end handling and false is returned.
    bool Stop(bool force);

private:
    // Under the gate.
    void DropFile(bool keep);
    void DropClaim();

    const std::shared_ptr<TStopGate> m_gate = std::make_shared<TStopGate>();
    bool m_ended = false;
    bool m_committed = false;
    TWorkResult m_result;

    std::unique_ptr<QFile> m_file;
    QString m_filePath;
    QString m_claim;
};

QString TWorkerState::ClaimName(const QString &path, int reserve)
{
    QString name;
    m_gate->Locked([&] {
        DropClaim();
        name = ClaimUniqueFileName(path, reserve);
        m_claim = name;
    });
    return name;
}

void TWorkerState::ReleaseClaim()
{
    m_gate->Guarded([&] { DropClaim(); });
}

void TWorkerState::DropClaim()
{
    if (m_claim.isEmpty())
        return;
    ReleaseWriteFile(m_claim);
    m_claim.clear();
}

bool TWorkerState::OpenFile(const QString &path, QString &error, bool &exists)
{
    bool opened = false;
    exists = false;
    const bool running = m_gate->Locked([&] {
        auto file = std::make_unique<QFile>(path);
        // Unbuffered: the worker writes whole received blocks, and a failed
        // write then reports its own cause (a full disk, ...).
        if (!file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            exists = QFileInfo::exists(path);
            error = file->errorString();
            return;
        }
        if (!HoldOpenFile(file->handle(), path)) {
            // Another run's clean-up got to the new file first: the name
            // counts as taken and the next one is tried.
            exists = true;
            error = QStringLiteral("the file was removed as it was made");
            return;
        }
        m_file = std::move(file);
        m_filePath = path;
        if (Item)
            Item->SetCurrentFile(path);
        opened = true;
    });
    return running && opened;
}

bool TWorkerState::WriteFile(const char *data, qint64 size)
{
    bool written = false;
    m_gate->Locked([&] {
        if (!m_file)
            return;
        // A short write is followed by one that tells why (a full disk).
        qint64 done = 0;
        while (done < size) {
            const qint64 now = m_file->write(data + done, size - done);
            if (now <= 0)
                return;
            done += now;
        }
        written = true;
    });
    return written;
}

QString TWorkerState::FileError()
{
    QString error;
    m_gate->Guarded([&] { error = m_file ? m_file->errorString() : QString(); });
    return error;
}

bool TWorkerState::FlushFile(qint64 &size, QString &error)
{
    bool flushed = false;
    m_gate->Locked([&] {
        if (!m_file)
            return;
        flushed = m_file->flush();
        if (!flushed)
            error = m_file->errorString();
        size = m_file->size();
    });
    return flushed;
}

void TWorkerState::CloseFile(bool keep)
{
    m_gate->Guarded([&] {
        if (!m_file)
            return;
        const bool stopped = m_gate->IsStopped();
        DropFile(keep && !stopped);
        if (Item && !stopped)
            Item->SetCurrentFile(QString());
    });
}

void TWorkerState::DropFile(bool keep)
{
    if (!m_file)
        return;
    m_file->close();
    m_file.reset();
    if (!keep)
        QFile::remove(m_filePath);
    m_filePath.clear();
}

namespace {

// rename() that never replaces a file: EEXIST when `to` exists.
int RenameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: the test and the rename are two steps.
    struct stat status;
    if (::lstat(target.constData(), &status) == 0)
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

} // namespace

TWorkerState::TCommit TWorkerState::Commit(const QString &temporary, const QString &base, QString &finalName,
                                           QString &error)
{
    // The hook's lock first: a program that clears the hook (its end) waits
    // for a picture that got its final name to be recorded.
    std::shared_lock<std::shared_mutex> hook(Globals().hookLock);
    bool committed = false;
    const bool running = m_gate->Locked([&] {
        for (int attempt = 0; attempt < 100 && !committed; ++attempt) {
            if (Journal) {
                TTaskJournal::TEntry entry;
                entry.Kind = TTaskJournal::TEntry::Saved;
                entry.Depth = Depth;
                entry.URL = Url;
                entry.Path = finalName;
                Journal->Append(entry);
            }
            const int failure = RenameNoReplace(temporary, finalName);
            if (failure == 0) {
                committed = true;
            } else if (failure == EEXIST) {
                // Another program made a file of this name meanwhile.
                DropClaim();
                finalName = ClaimUniqueFileName(base, 4);
                m_claim = finalName;
            } else {
                error = QString::fromLocal8Bit(std::strerror(failure));
                break;
            }
        }
        if (!committed && error.isEmpty())
            error = QStringLiteral("no free name");
        m_committed = committed;
        DropFile(committed);
        DropClaim();
        if (Item)
            Item->SetCurrentFile(QString());
    });
    if (committed && Globals().pictureSaved)
        Globals().pictureSaved(finalName);
    if (!running)
        return TCommit::Stopped;
    return committed ? TCommit::Done : TCommit::Failed;
}

bool TWorkerState::Finish(const TWorkResult &result)
{
    return m_gate->Locked([&] {
        if (Journal && result.Kind == TWorkResult::Done) {
            TTaskJournal::TEntry entry;
            entry.Kind = TTaskJournal::TEntry::Done;
            entry.Depth = Depth;
            entry.URL = Url;
            Journal->Append(entry);
        }
        m_result = result;
        m_ended = true;
    });
}

bool TWorkerState::IsEnded()
{
    bool ended = false;
    m_gate->Guarded([&] { ended = m_ended; });
    return ended;
}

TWorkResult TWorkerState::Result()
{
    TWorkResult result;
    m_gate->Guarded([&] { result = m_result; });
    return result;
}

bool TWorkerState::Committed()
{
    bool committed = false;
    m_gate->Guarded([&] { committed = m_committed; });
    return committed;
}

bool TWorkerState::Stop(bool force)
{
    const bool stopped = m_gate->Stop([&] {
        if (m_ended && !force)
            return false;
        DropFile(false);
        DropClaim();
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
    const TWorkResult &Result() const { return m_result; }
    // An error nobody expected (memory, say) still fails the item, with a line.
    void Unexpected(const QString &what);

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
    bool Log(const QString &message, TLogKind kind = TLogKind::Info);
    // The item fails: its line goes to the log.
    void Fail(const QString &line, bool picture, bool local);
    void Progress(qint64 received);
    bool FetchPage(QByteArray &text);
    // False when the worker ends with it (a failed fetch or save, a stop).
    bool PageStep();
    bool SavePage(const QByteArray &text, const QString &maskEntry);
    void QueueLink(const QString &link, std::vector<TTaskJournal::TEntry> &queued);
    void PictureStep();
    bool SizeAllowed();
    bool LengthAllowed(qint64 length) const;
    // Downloads the picture into `folder` under the name `base`. With
    // `wanted`, the response's headers first decide whether to go on (the
    // folder, the file and the "Saving file" line come only then); false
    // when they did not.
    bool DownloadPicture(const QString &folder, const QString &base,
                         const THttpClient::HeadersCheck *wanted = nullptr);
    bool OpenClaimed(const QString &base, int reserve, bool temporary, QString &name, bool picture);
    bool MakeFolder(const QString &folder, bool picture);

    TWorkerState &m_state;
    TParsedUrl m_url;
    TWorkResult m_result;
};

QString CauseOf(const std::exception &failure)
{
    if (const auto *http = dynamic_cast<const EHttpError *>(&failure))
        return http->Cause();
    if (const auto *own = dynamic_cast<const EZavelonError *>(&failure))
        return own->message();
    return QString::fromLocal8Bit(failure.what());
}

void TWorkerRun::Execute()
{
    SetUpClient();
    if (IsPageExtension(Extension()) && m_state.Depth < m_state.Options.SeekDeep && !PageStep())
        return;
    PictureStep();
}

void TWorkerRun::Unexpected(const QString &what)
{
    if (!m_state.IsStopped())
        Fail(QStringLiteral("Cannot process \"%1\": %2").arg(m_state.Url, what), false, false);
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
    // The login goes to the task's own site only; a start URL that names
    // no site takes it nowhere.
    if (options.NeedToLogin && !m_state.LoginOrigin.isEmpty()) {
        client.Username = options.LoginUserName;
        client.Password = options.LoginPassword;
        client.LoginOrigin = m_state.LoginOrigin;
    }
    client.OnWork = [this](qint64 received) { Progress(received); };
}

bool TWorkerRun::Log(const QString &message, TLogKind kind)
{
    TTask *task = m_state.Task;
    return m_state.CallMain([task, message, kind] { task->ShowLog(message, kind); });
}

void TWorkerRun::Fail(const QString &line, bool picture, bool local)
{
    m_result.Kind = TWorkResult::Failed;
    m_result.Picture = picture;
    m_result.Local = local;
    m_result.Failure = line;
    Log(line, TLogKind::Failure);
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
    const QString first = m_url.URI();
    QString firstCause;
    try {
        text = m_state.Client.Get(first);
        return true;
    } catch (const std::exception &failure) {
        if (m_state.IsStopped())
            return false;
        firstCause = CauseOf(failure);
    }
    // A directory named without its final "/" often answers with a
    // redirection: ask once more for the directory itself.
    m_url.SetURI(first + QLatin1Char('/'));
    try {
        text = m_state.Client.Get(m_url.URI());
        return true;
    } catch (const std::exception &failure) {
        if (m_state.IsStopped())
            return false;
        QString line = QStringLiteral("Cannot fetch page \"%1\": %2").arg(first, firstCause);
        const QString secondCause = CauseOf(failure);
        if (secondCause != firstCause)
            line += QStringLiteral("; \"%1\": %2").arg(m_url.URI(), secondCause);
        Fail(line, false, false);
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
    if (scanner.IgnoredLinks() > 0 &&
        !Log(QStringLiteral("Page \"%1\" has %2 more links than the %3 followed per page; they are ignored")
                 .arg(m_url.URI()).arg(scanner.IgnoredLinks()).arg(THTMLScan::kMaxLinks)))
        return false;
    std::vector<TTaskJournal::TEntry> queued;
    for (int i = 0; i < links.Count() && !m_state.IsStopped(); ++i)
        QueueLink(links.Get(i)->URL(), queued);
    // The new items go into the journal before this page counts as done
    // there: a crash must not leave a done page whose links were never kept.
    if (m_state.Journal && !queued.empty())
        m_state.Locked([&] { m_state.Journal->Append(queued); });
    return !m_state.IsStopped();
}

bool TWorkerRun::MakeFolder(const QString &folder, bool picture)
{
    // One level only; a folder that is there already is fine, anything
    // else that keeps it from being made costs the file.
    int failure = 0;
    if (!m_state.Locked([&] {
            if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && errno != EEXIST)
                failure = errno;
        }))
        return false;
    if (failure == 0)
        return true;
    Fail(QStringLiteral("Cannot create folder \"%1\": %2").arg(folder, QString::fromLocal8Bit(std::strerror(failure))),
         picture, true);
    return false;
}

bool TWorkerRun::OpenClaimed(const QString &base, int reserve, bool temporary, QString &name, bool picture)
{
    // A name taken between the choice and the creation (by another
    // program) gives way to the next.
    QString error;
    QString path;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = m_state.ClaimName(base, reserve);
        if (name.isEmpty())
            return false;
        path = temporary ? name + QStringLiteral("!!wr") : name;
        bool exists = false;
        if (m_state.OpenFile(path, error, exists))
            return true;
        if (m_state.IsStopped())
            return false;
        if (!exists)
            break;
    }
    m_state.ReleaseClaim();
    Fail(QStringLiteral("Cannot write file \"%1\": %2").arg(path, error), picture, true);
    return false;
}

bool TWorkerRun::SavePage(const QByteArray &text, const QString &maskEntry)
{
    const QString folder = m_state.Options.DefaultFolder + SplitMaskEntry(maskEntry).Folder;
    if (!MakeFolder(folder, false))
        return false;
    QString base;
    const QString document = m_url.Document();
    if (document.isEmpty())
        base = AddBackslash(folder) + QStringLiteral("index.html");
    else
        base = AddBackslash(folder) + document
            + (TTaskThread::ExtractFileExt(document).isEmpty() ? QStringLiteral(".html") : QString());
    QString name;
    if (!OpenClaimed(base, 0, false, name, false))
        return false;
    const QByteArray lines = TTaskThread::TextLines(text);
    bool written = true;
    for (qint64 at = 0; written && at < lines.size(); at += kPageWriteStep)
        written = m_state.WriteFile(lines.constData() + at, qMin(kPageWriteStep, lines.size() - at));
    qint64 size = 0;
    QString error;
    if (written && !m_state.FlushFile(size, error))
        written = false;
    else if (!written)
        error = m_state.FileError();
    // A page that could not be written whole is not left behind half-written.
    m_state.CloseFile(written);
    m_state.ReleaseClaim();
    if (m_state.IsStopped())
        return false;
    if (!written)
        Fail(QStringLiteral("Cannot write file \"%1\": %2").arg(name, error), false, true);
    return written;
}

void TWorkerRun::QueueLink(const QString &link, std::vector<TTaskJournal::TEntry> &queued)
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
    bool added = false;
    const int depth = m_state.Depth + 1;
    const bool queuedNow = m_state.Locked([&] {
        shown = task->Shown();
        auto *item = new TTaskItem(task, link);
        item->SetDepth(depth);
        TTaskItemList &items = task->Items();
        const int index = items.AddSorted(item, &added);
        listed = items.Get(index);
        if (!added)
            delete item;
    });
    if (!queuedNow)
        return;
    if (added && m_state.Journal)
        queued.push_back(TTaskJournal::TEntry{TTaskJournal::TEntry::Queued, depth, link, QString()});
    if (!shown)
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
    const QString folder = options.DefaultFolder + SplitMaskEntry(options.FileMasks.value(maskIndex)).Folder;
    const QString base = AddBackslash(folder) + m_url.Document();
    if (!options.EnableFileLimit) {
        if (MakeFolder(folder, true))
            DownloadPicture(folder, base);
        return;
    }
    // The size limit: the GET's own response announces the length, and a
    // picture outside the limits is dropped there, before its body, which
    // spares every picture the round trip of a HEAD first. A response that
    // announces no length (sent chunked) leaves the decision to a HEAD, as
    // a server may know the length there.
    bool unannounced = false;
    const THttpClient::HeadersCheck wanted = [&](qint64 announced) {
        unannounced = announced < 0;
        return !unannounced && LengthAllowed(announced);
    };
    if (DownloadPicture(folder, base, &wanted) || !unannounced || m_state.IsStopped())
        return;
    if (SizeAllowed() && MakeFolder(folder, true))
        DownloadPicture(folder, base);
}

bool TWorkerRun::LengthAllowed(qint64 length) const
{
    const TRegOptions &options = m_state.Options;
    return qint64(options.FileMinSize) * 1024 < length && length < qint64(options.FileMaxSize) * 1024;
}

bool TWorkerRun::SizeAllowed()
{
    qint64 length = 0;
    try {
        length = m_state.Client.Head(m_url.URI());
    } catch (const std::exception &failure) {
        if (!m_state.IsStopped())
            Fail(QStringLiteral("Cannot fetch file \"%1\": %2").arg(m_url.URI(), CauseOf(failure)), true, false);
        return false;
    }
    return LengthAllowed(length);
}

bool TWorkerRun::DownloadPicture(const QString &folder, const QString &base, const THttpClient::HeadersCheck *wanted)
{
    QString finalName;
    QString temporary;
    const auto prepare = [&] {
        if (!OpenClaimed(base, 4, true, finalName, true))
            return false;
        temporary = finalName + QStringLiteral("!!wr");
        return Log(QStringLiteral("Saving file \"%1\"").arg(QFileInfo(temporary).fileName()));
    };
    if (!wanted && !prepare())
        return false;

    // With the size limit on, the body itself must stay below the upper
    // bound, whatever the server announced.
    const TRegOptions &options = m_state.Options;
    const qint64 limit = options.EnableFileLimit ? qint64(options.FileMaxSize) * 1024 : -1;
    qint64 received = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    const THttpClient::Sink sink = [&](const char *data, qint64 size) {
        received += size;
        if (limit >= 0 && received >= limit) {
            tooLarge = true;
            return false;
        }
        writeFailed = !m_state.WriteFile(data, size);
        return !writeFailed;
    };
    const QString abandonReason = QStringLiteral("the picture is too large or cannot be written");
    QString fetchFailure;
    try {
        if (!wanted) {
            m_state.Client.Get(m_url.URI(), sink, abandonReason);
        } else {
            const THttpClient::HeadersCheck check = [&](qint64 announced) {
                return (*wanted)(announced) && MakeFolder(folder, true) && prepare();
            };
            if (!m_state.Client.Get(m_url.URI(), sink, abandonReason, check))
                return false; // skipped, or failed and logged, before the body
        }
    } catch (const std::exception &failure) {
        fetchFailure = CauseOf(failure);
    }
    qint64 size = 0;
    QString writeError;
    if (fetchFailure.isEmpty() && !m_state.FlushFile(size, writeError))
        writeFailed = true;
    else if (writeFailed)
        writeError = m_state.FileError();
    if (m_state.IsStopped())
        return true;
    if (!fetchFailure.isEmpty() || writeFailed) {
        // A failed download leaves no partial file behind.
        m_state.CloseFile(false);
        m_state.ReleaseClaim();
        if (writeFailed)
            Fail(QStringLiteral("Cannot write file \"%1\": %2").arg(temporary, writeError), true, true);
        else if (tooLarge)
            Log(QStringLiteral("File \"%1\" skipped: larger than %2 KB").arg(m_url.URI()).arg(options.FileMaxSize));
        else
            Fail(QStringLiteral("Cannot fetch file \"%1\": %2").arg(m_url.URI(), fetchFailure), true, false);
        return true;
    }

    QString renameError;
    switch (m_state.Commit(temporary, base, finalName, renameError)) {
    case TWorkerState::TCommit::Stopped:
        return true;
    case TWorkerState::TCommit::Failed:
        Fail(QStringLiteral("Rename file \"%1\" failed: %2").arg(QFileInfo(temporary).fileName(), renameError), true,
             true);
        return true;
    case TWorkerState::TCommit::Done:
        break;
    }
    m_result.Kind = TWorkResult::Saved;
    m_result.Picture = true;
    // The row and the log line in one call, in this order: each wait for the
    // main thread costs two thread wake-ups, and a crawl of small pictures
    // spends more time in them than in most of its own work.
    TTask *task = m_state.Task;
    const QString saved = QStringLiteral("File \"%1\" saved").arg(QFileInfo(finalName).fileName());
    m_state.CallMain([task, finalName, size, saved] {
        try {
            task->AddPictureRow(finalName, size);
        } catch (...) {
            // As after any failing view call, the worker goes on: the save
            // is logged all the same.
        }
        task->ShowLog(saved);
    });
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
    TWorkerRun run(*state);
    try {
        run.Execute();
    } catch (const std::exception &failure) {
        run.Unexpected(CauseOf(failure));
    } catch (...) {
        run.Unexpected(QStringLiteral("unknown error"));
    }
    state->CloseFile(false);
    state->ReleaseClaim();
    if (!state->Finish(run.Result()))
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

TWorkResult TTaskThread::Result() const
{
    return m_state ? m_state->Result() : TWorkResult();
}

bool TTaskThread::SavedBeforeStop() const
{
    return m_state && m_state->Committed();
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
    std::unique_lock<std::shared_mutex> guard(Globals().hookLock);
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
