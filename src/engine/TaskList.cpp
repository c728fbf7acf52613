#include "engine/TaskList.h"

#include "engine/Errors.h"
#include "engine/Task.h"

TTaskList::~TTaskList()
{
    Clear();
}

void TTaskList::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTaskList *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    QList<TTask *> sources;
    {
        const std::lock_guard locker(other->m_lock);
        sources = other->m_tasks;
    }
    Clear();
    for (const TTask *sourceTask : sources) {
        auto *copy = new TTask;
        copy->Assign(*sourceTask);
        Add(copy);
    }
}

int TTaskList::Add(TTask *task)
{
    const std::lock_guard locker(m_lock);
    m_tasks.append(task);
    return static_cast<int>(m_tasks.size()) - 1;
}

void TTaskList::Clear()
{
    QList<TTask *> tasks;
    {
        const std::lock_guard locker(m_lock);
        tasks.swap(m_tasks);
    }
    qDeleteAll(tasks);
}

int TTaskList::Count() const
{
    const std::lock_guard locker(m_lock);
    return static_cast<int>(m_tasks.size());
}

TTask *TTaskList::Get(int index) const
{
    const std::lock_guard locker(m_lock);
    if (index < 0 || index >= m_tasks.size())
        throw EZavelonError(QStringLiteral("Task index out of bounds (%1 of %2)").arg(index).arg(m_tasks.size()));
    return m_tasks[index];
}

void TTaskList::HideAll()
{
    const std::lock_guard locker(m_lock);
    for (TTask *task : m_tasks)
        task->SetShown(false);
}

int TTaskList::RunningCount() const
{
    const std::lock_guard locker(m_lock);
    int count = 0;
    for (const TTask *task : m_tasks)
        count += task->Stopped() ? 0 : 1;
    return count;
}

int TTaskList::IndexOfID(const QString &id) const
{
    const std::lock_guard locker(m_lock);
    for (qsizetype i = 0; i < m_tasks.size(); ++i) {
        if (m_tasks[i]->ID() == id)
            return static_cast<int>(i);
    }
    return -1;
}

int TTaskList::IndexOfFileName(const QString &path) const
{
    const std::lock_guard locker(m_lock);
    for (qsizetype i = 0; i < m_tasks.size(); ++i) {
        if (m_tasks[i]->FileName() == path)
            return static_cast<int>(i);
    }
    return -1;
}
