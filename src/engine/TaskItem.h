#pragma once

#include "engine/ParsedUrl.h"
#include "engine/Persistent.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class TTask;
class TTaskThread;

// One URL found for a task, with its run state. An item is waiting while it
// is neither Done nor Running nor Failed. Once in a TTaskItemList, its URL and TaskHost
// stay as they are: the list files the item under its URL text and priority.
class TTaskItem : public TPersistent
{
public:
    // `task` may be null for an item that belongs to no task; TaskHost is the
    // host of the task's start URL at this moment.
    TTaskItem(TTask *task, const QString &url);
    // Stops the item's worker if it still runs (see TTaskThread).
    ~TTaskItem() override;

    TTaskItem(const TTaskItem &) = delete;
    TTaskItem &operator=(const TTaskItem &) = delete;

    // Copies Done, TaskHost, CurrentFile, Running and the URL text from
    // another TTaskItem (not Depth); any other source is refused.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TTaskItem"); }

    TTask *Task() const { return m_task; }
    const TParsedUrl &URL() const { return m_url; }
    const QString &TaskHost() const { return m_taskHost; }

    // 1000 x host class + URL length (see ItemPriority); computed once.
    qint64 Priority() const { return m_priority; }

    // Run-state values. The setters store the value and tell the task's
    // item list, which keeps count of the waiting and running items. The
    // files view's state image follows through TTask::SetRunning.
    bool Done() const { return m_done; }
    void SetDone(bool done);
    bool Running() const { return m_running; }
    void SetRunning(bool running);
    // Its picture or page failed in this run: not done (the project file
    // keeps it waiting, so the next run tries again), but not started again
    // in this run either. Cleared when a run starts.
    bool Failed() const { return m_failed; }
    void SetFailed(bool failed);
    bool Waiting() const { return !m_done && !m_running && !m_failed; }
    int Depth() const { return m_depth; }
    void SetDepth(int depth) { m_depth = depth; }

    // The file a worker is writing for this item, empty when none. Written by
    // the worker's thread and read by a stop on the main thread, hence locked.
    QString CurrentFile() const;
    void SetCurrentFile(const QString &path);

    // The worker last started for this item, owned by the item; null when
    // none. Main thread only.
    TTaskThread *Worker() const { return m_worker.get(); }
    // Makes a worker for the item, attaches the task's end handler
    // (TTask::WorkerFinished), lets it run and marks the item running. When
    // the system gives no thread, logs why, leaves the item waiting and
    // returns false.
    bool Start();
    // Ends the item's worker at once; the item is waiting again and a file
    // it was writing is deleted. A worker that had already ended by itself
    // is left to its end handling. A worker stopped after its picture was
    // in place under its final name has done its item: the item is done and
    // the picture counted as saved (TTask::PictureSavedAtStop).
    void StopWorker();

private:
    friend class TTaskItemList;

    void SetUrlAndHost(const QString &url, const QString &taskHost);

    TTask *m_task;
    TParsedUrl m_url;
    QString m_taskHost;
    qint64 m_priority = 0;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_depth{-1};
    mutable std::mutex m_fileLock;
    QString m_currentFile;

    std::unique_ptr<TTaskThread> m_worker;

    // Where the owning list keeps the item, and whether it is listed there;
    // see TTaskItemList (which guards both).
    int m_slot = -1;
    bool m_listed = false;
};
