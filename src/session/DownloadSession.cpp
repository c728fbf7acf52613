#include "session/DownloadSession.h"

#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/FileLock.h"
#include "engine/MainThreadCalls.h"
#include "engine/Task.h"
#include "engine/TaskList.h"
#include "engine/TaskThread.h"
#include "images/ImageLibrarySession.h"
#include "session/DueRuns.h"
#include "settings/Schedule.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace {

bool AllItemsDone(const TTask &task)
{
    const int count = task.Items().Count();
    return count != 0 && task.DoneCount() == count;
}

// Nothing is left for a run to do: every item is done or failed in the last
// run (a picture that fails every day must not keep a daily task from
// looking at its site again).
bool NothingWaiting(const TTask &task)
{
    return task.Items().Count() != 0 && task.RunningCount() == 0 && !task.Items().FirstWaiting();
}

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromLocal8Bit(error.what());
}

} // namespace

TDownloadSession::TDownloadSession(const QString &libraryFileName, QObject *parent)
    : QObject(parent)
    , m_library(std::make_unique<TImageLibrarySession>(libraryFileName))
    , m_tasks(std::make_unique<TTaskList>())
{
    TTaskThread::SetPictureSavedHook(m_library->PictureSavedHook());
}

TDownloadSession::~TDownloadSession()
{
    // (Declared here so that TDueRuns is complete where it is destroyed.)
    try {
        ShutDown();
    } catch (const std::exception &) {
        // Whoever needed to hear of a failure called ShutDown() itself.
    }
    m_taskLocks.clear();
}

TImageLibrary &TDownloadSession::ImageLibrary()
{
    return m_library->ImageLibrary();
}

QString TDownloadSession::LibraryStartupError() const
{
    return m_library->StartupError();
}

void TDownloadSession::SetViews(TFilesView *files, TLogView *log, TPicturesView *pictures)
{
    m_filesView = files;
    m_logView = log;
    m_picturesView = pictures;
}

TTask *TDownloadSession::LoadedTask(const QString &path) const
{
    if (!m_loadedPaths.contains(path, Qt::CaseInsensitive))
        return nullptr;
    const int index = m_tasks->IndexOfFileName(path);
    if (index >= 0)
        return m_tasks->Get(index);
    // Listed under another spelling of the same path.
    for (int i = 0; i < m_tasks->Count(); ++i) {
        TTask *task = m_tasks->Get(i);
        if (task && task->FileName().compare(path, Qt::CaseInsensitive) == 0)
            return task;
    }
    return nullptr;
}

TTask *TDownloadSession::OpenTask(const QString &path)
{
    if (TTask *loaded = LoadedTask(path))
        return loaded;
    if (TTask *copied = m_copiedPaths.value(path.toLower()))
        return copied;
    auto task = std::make_unique<TTask>();
    task->LoadFromFile(path);
    const int known = task->ID().isEmpty() ? -1 : m_tasks->IndexOfID(task->ID());
    if (known >= 0) {
        TTask *shared = m_tasks->Get(known);
        m_copiedPaths.insert(path.toLower(), shared);
        return shared;
    }
    return AddTask(std::move(task));
}

void TDownloadSession::ForgetTaskPath(const QString &path)
{
    for (qsizetype i = m_loadedPaths.size() - 1; i >= 0; --i) {
        if (m_loadedPaths[i].compare(path, Qt::CaseInsensitive) == 0)
            m_loadedPaths.removeAt(i);
    }
    m_copiedPaths.remove(path.toLower());
}

TTask *TDownloadSession::AddTask(std::unique_ptr<TTask> task)
{
    task->SetFilesView(m_filesView);
    task->SetLogView(m_logView);
    task->SetPicturesView(m_picturesView);
    task->SetOnFinished([this](TTask *ended) { TaskEnded(ended); });
    TTask *added = task.release();
    m_tasks->Add(added);
    m_loadedPaths.append(added->FileName());
    RecordRecoveredPictures(*added);
    return added;
}

void TDownloadSession::RecordRecoveredPictures(const TTask &task)
{
    if (!m_library->SavesOnShutDown())
        return;
    for (const QString &path : task.RecoveredPictures())
        if (!m_library->ImageLibrary().Find(path))
            m_library->AddPictureInBackground(path);
}

namespace {

QString RunElsewhereText(const QString &path, const QString &holder)
{
    return QStringLiteral("The task file %1 is being run by %2").arg(path, holder);
}

} // namespace

QString TDownloadSession::RunElsewhere(const QString &path)
{
    TFileLock lock(LockFileOf(path), true);
    QString holder;
    return lock.Try(&holder) == TFileLock::TTry::Busy ? RunElsewhereText(path, holder) : QString();
}

bool TDownloadSession::LockTaskFile(TTask *task)
{
    if (task->FileName().isEmpty() || m_taskLocks.count(task) != 0)
        return true;
    auto lock = std::make_unique<TFileLock>(LockFileOf(task->FileName()), true);
    QString holder;
    switch (lock->Try(&holder)) {
    case TFileLock::TTry::Taken:
        m_taskLocks[task] = std::move(lock);
        return true;
    case TFileLock::TTry::Failed:
        // A project folder where no lock file can be made (read-only, or
        // gone) does not keep the task from running; the end of the run
        // tells whether its file can be written.
        task->ShowLog(QStringLiteral("The task file %1 cannot be locked against other programs (%2)")
                          .arg(task->FileName(), holder));
        return true;
    case TFileLock::TTry::Busy:
        break;
    }
    m_lastRefusal = RunElsewhereText(task->FileName(), holder);
    emit RunRefused(task, m_lastRefusal);
    return false;
}

void TDownloadSession::UnlockTaskFile(TTask *task)
{
    m_taskLocks.erase(task);
}

// ---- Run control ------------------------------------------------------------

TDownloadSession::TStartResult TDownloadSession::RunByUser(TTask *task)
{
    if (RunningCount() >= kUserRunLimit)
        return TStartResult::TooManyRunning;
    if (!task->Stopped())
        return TStartResult::AlreadyRunning;
    if (AllItemsDone(*task))
        return TStartResult::AllDone;
    if (!LockTaskFile(task))
        return TStartResult::HeldElsewhere;
    m_tasks->HideAll();
    task->SetShown(true);
    task->Run();
    Started(task);
    return TStartResult::Started;
}

TDownloadSession::TStartResult TDownloadSession::RunTask(TTask *task)
{
    if (!LockTaskFile(task))
        return TStartResult::HeldElsewhere;
    task->Run();
    Started(task);
    return TStartResult::Started;
}

TDownloadSession::TStartResult TDownloadSession::RunScheduled(TTask *task)
{
    if (!LockTaskFile(task))
        return TStartResult::HeldElsewhere;
    if (NothingWaiting(*task)) {
        task->Items().Clear();
        task->SetDoneCount(0);
    }
    return RunTask(task);
}

void TDownloadSession::Started(TTask *task)
{
    // A run may end within Run() (nothing left to fetch); its end has been
    // told already then.
    if (!task->Stopped())
        emit TaskStateChanged(task);
}

void TDownloadSession::StopTask(TTask *task)
{
    const bool wasRunning = !task->Stopped();
    task->Stop();
    if (wasRunning)
        emit TaskStateChanged(task);
    struct Unlock {
        TDownloadSession *session;
        TTask *task;
        // A worker that ended just before the stop still has its end to be
        // handled, which writes the file again: the lock stays until then.
        ~Unlock()
        {
            if (task->RunningCount() == 0)
                session->UnlockTaskFile(task);
        }
    } unlock{this, task};
    task->SaveToFile(task->FileName());
}

void TDownloadSession::RestartTask(TTask *task)
{
    if (!LockTaskFile(task))
        return;
    const bool wasRunning = !task->Stopped();
    task->Stop();
    if (wasRunning)
        emit TaskStateChanged(task);
    task->Items().Clear();
    task->SetDoneCount(0);
    task->SetShown(true);
    task->Run();
    Started(task);
}

void TDownloadSession::StopAll()
{
    QString firstFailure;
    for (int index = m_tasks->Count() - 1; index >= 0; --index) {
        TTask *task = m_tasks->Get(index);
        if (!task || task->Stopped())
            continue;
        try {
            StopTask(task);
        } catch (const std::exception &error) {
            if (firstFailure.isEmpty())
                firstFailure = ErrorText(error);
        }
    }
    if (!firstFailure.isEmpty())
        throw EZavelonError(firstFailure);
}

void TDownloadSession::FinishEndedWorkers(int timeoutMs)
{
    const auto pending = [this] {
        for (int index = 0; index < m_tasks->Count(); ++index)
            if (TTask *task = m_tasks->Get(index); task && task->Stopped() && task->RunningCount() > 0)
                return true;
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    // Their end calls are posted, or about to be (a worker marks itself ended
    // a moment before it posts).
    while (pending() && clock.elapsed() < timeoutMs) {
        TMainThreadCalls::Instance().RunPending();
        if (pending())
            QThread::msleep(1);
    }
}

int TDownloadSession::RunningCount() const
{
    return m_tasks->RunningCount();
}

void TDownloadSession::TaskEnded(TTask *task)
{
    emit TaskStateChanged(task);
    try {
        task->SaveToFile(task->FileName());
    } catch (const std::exception &error) {
        emit Error(ErrorText(error));
    }
    UnlockTaskFile(task);
    emit TaskFinished(task);
    if (m_shutDownWanted && RunningCount() == 0 && m_shutDownWanted())
        emit ShutDownOffered();
}

// ---- The main timer ---------------------------------------------------------

void TDownloadSession::StartMainTimer()
{
    if (!m_mainTimer) {
        m_mainTimer = new QTimer(this);
        m_mainTimer->setInterval(kMainTimerMs);
        connect(m_mainTimer, &QTimer::timeout, this, [this] { Tick(NowDays()); });
    }
    m_mainTimer->start();
}

void TDownloadSession::Tick(double now)
{
    emit Ticked();
    StartDueTasks(now);
}

void TDownloadSession::StartDueTasks(double now)
{
    // Tasks that a listener opens while this walk starts others are looked
    // at from the next tick.
    const int count = m_tasks->Count();
    for (int index = 0; index < count; ++index) {
        TTask *task = m_tasks->Get(index);
        if (!task || !task->Stopped() || task->Options().Scheme.SchemeType == TRegScheme::stNone)
            continue;
        const std::optional<std::int64_t> slot = DueSlot(task->Options().Scheme, now);
        // A due day is due all day long: without this memory a daily task
        // would start again at every tick after its run ended.
        if (!slot || m_startedSlots.value(task, -1) == *slot)
            continue;
        m_startedSlots.insert(task, *slot);
        if (m_dueRuns && !ClaimSlot(*task, *slot))
            continue;
        RunScheduled(task);
    }
}

void TDownloadSession::SetDueRunsFile(const QString &fileName)
{
    m_dueRuns = std::make_unique<TDueRuns>(fileName);
}

bool TDownloadSession::ClaimSlot(const TTask &task, std::int64_t slot)
{
    // Another program on the home may have started it for this slot already.
    try {
        return m_dueRuns->Claim(task.FileName(), slot);
    } catch (const std::exception &error) {
        // Unrecorded, it runs all the same: a task that runs once more is
        // better than a schedule that silently stops.
        emit Error(ErrorText(error));
        return true;
    }
}

// ---- The end ------------------------------------------------------------------

void TDownloadSession::ShutDown(TPendingPictures pending)
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_mainTimer)
        m_mainTimer->stop();
    QString firstFailure;
    // When the program does not wait for the pictures being measured, their
    // threads are ended first: they give up their decoding, which frees the
    // processors for the stop. Pictures saved from here on are journaled as
    // pending; the next start measures them.
    if (pending == TPendingPictures::Drop)
        m_library->AddImageThreads().EndAll();
    try {
        StopAll();
    } catch (const std::exception &error) {
        firstFailure = ErrorText(error);
    }
    // No worker adds pictures any more; then the adding threads either
    // finish what they measure or are ended, before the library is written.
    TTaskThread::SetPictureSavedHook(nullptr);
    if (pending == TPendingPictures::Wait) {
        TAddImageThreadList &adding = m_library->AddImageThreads();
        for (int i = 0; i < adding.Count(); ++i)
            adding.Items(i)->WaitFor();
    }
    try {
        m_library->ShutDown();
    } catch (const std::exception &error) {
        if (firstFailure.isEmpty())
            firstFailure = ErrorText(error);
    }
    // Stopped workers unwind within moments; let them finish before the
    // process tears down what they still hold.
    TTaskThread::WaitForAll(5000);
    if (!firstFailure.isEmpty())
        throw EZavelonError(firstFailure);
}
