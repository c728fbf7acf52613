#include "engine/TaskItem.h"

#include "engine/ItemPriority.h"
#include "engine/Task.h"
#include "engine/TaskThread.h"

#include <QFile>

TTaskItem::TTaskItem(TTask *task, const QString &url)
    : m_task(task)
{
    SetUrlAndHost(url, task ? task->URL().Host() : QString());
}

TTaskItem::~TTaskItem() = default;

void TTaskItem::SetDone(bool done)
{
    m_done = done;
    if (m_task)
        m_task->Items().ItemStateChanged(this);
}

void TTaskItem::SetRunning(bool running)
{
    m_running = running;
    if (m_task)
        m_task->Items().ItemStateChanged(this);
}

void TTaskItem::SetFailed(bool failed)
{
    m_failed = failed;
    if (m_task)
        m_task->Items().ItemStateChanged(this);
}

bool TTaskItem::Start()
{
    // A previous worker of this item has ended; its handle goes now.
    m_worker = std::make_unique<TTaskThread>(m_task, m_url.URI(), this);
    TTask *task = m_task;
    QString error;
    if (!m_worker->Start([task](TTaskThread *worker) { task->WorkerFinished(worker); }, &error)) {
        m_worker.reset();
        task->ShowLog(QStringLiteral("Cannot start a worker for \"%1\": %2").arg(m_url.URI(), error));
        return false;
    }
    task->SetRunning(this, true);
    return true;
}

void TTaskItem::StopWorker()
{
    bool saved = false;
    if (m_worker) {
        if (!m_worker->Stop())
            return; // ended by itself: WorkerFinished still handles it
        saved = m_worker->SavedBeforeStop();
        m_worker.reset();
    }
    SetRunning(false);
    if (saved && m_task)
        m_task->PictureSavedAtStop(this);
    const QString file = CurrentFile();
    if (!file.isEmpty()) {
        QFile::remove(file);
        SetCurrentFile(QString());
    }
}

void TTaskItem::SetUrlAndHost(const QString &url, const QString &taskHost)
{
    m_url.SetURI(url);
    m_taskHost = taskHost;
    m_priority = ItemPriority(m_url, m_taskHost);
}

void TTaskItem::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTaskItem *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    SetDone(other->Done());
    SetRunning(other->Running());
    SetCurrentFile(other->CurrentFile());
    SetUrlAndHost(other->URL().URI(), other->TaskHost());
}

QString TTaskItem::CurrentFile() const
{
    const std::lock_guard locker(m_fileLock);
    return m_currentFile;
}

void TTaskItem::SetCurrentFile(const QString &path)
{
    const std::lock_guard locker(m_fileLock);
    m_currentFile = path;
}
