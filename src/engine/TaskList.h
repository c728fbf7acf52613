#pragma once

#include "engine/Persistent.h"

#include <QList>
#include <QString>

#include <mutex>

class TTask;

// The tasks the application has opened. A task enters when its project file
// is first opened and stays until the list is cleared or destroyed. The list
// owns its tasks: Clear and the destructor free them, so every task must be
// stopped first. Each operation takes the list's own re-entrant lock.
class TTaskList : public TPersistent
{
public:
    TTaskList() = default;
    ~TTaskList() override;

    TTaskList(const TTaskList &) = delete;
    TTaskList &operator=(const TTaskList &) = delete;

    // Frees the present tasks, then adds a new task for each source task,
    // copied with TTask::Assign. Any other source is refused.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TTaskList"); }

    // Appends the task (the list takes it over) and returns its index.
    int Add(TTask *task);
    // Frees every task and empties the list.
    void Clear();
    int Count() const;
    TTask *Get(int index) const;

    // Sets Shown false on every task.
    void HideAll();
    // The number of tasks that are not stopped.
    int RunningCount() const;
    // The first task whose ID (resp. FileName) equals the text exactly,
    // letter case included; -1 when none.
    int IndexOfID(const QString &id) const;
    int IndexOfFileName(const QString &path) const;

private:
    mutable std::recursive_mutex m_lock;
    QList<TTask *> m_tasks;
};
