#pragma once

#include "engine/ParsedUrl.h"
#include "engine/Persistent.h"

#include <QString>

#include <atomic>
#include <mutex>

class TTask;

// One URL found for a task, with its run state. An item is waiting while it
// is neither Done nor Running. Once in a TTaskItemList, its URL and TaskHost
// stay as they are: the list files the item under its URL text and priority.
class TTaskItem : public TPersistent
{
public:
    // `task` may be null for an item that belongs to no task; TaskHost is the
    // host of the task's start URL at this moment.
    TTaskItem(TTask *task, const QString &url);
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

    // Plain run-state values; each setter only stores the value.
    bool Done() const { return m_done; }
    void SetDone(bool done) { m_done = done; }
    bool Running() const { return m_running; }
    void SetRunning(bool running) { m_running = running; }
    int Depth() const { return m_depth; }
    void SetDepth(int depth) { m_depth = depth; }

    // The file a worker is writing for this item, empty when none. Written by
    // the worker's thread and read by a stop on the main thread, hence locked.
    QString CurrentFile() const;
    void SetCurrentFile(const QString &path);

private:
    friend class TTaskItemList;

    void SetUrlAndHost(const QString &url, const QString &taskHost);

    TTask *m_task;
    TParsedUrl m_url;
    QString m_taskHost;
    qint64 m_priority = 0;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_running{false};
    std::atomic<int> m_depth{-1};
    mutable std::mutex m_fileLock;
    QString m_currentFile;

    // Where the owning list keeps the item; see TTaskItemList.
    int m_slot = -1;
};
