#include "engine/TaskItem.h"

#include "engine/ItemPriority.h"
#include "engine/Task.h"

TTaskItem::TTaskItem(TTask *task, const QString &url)
    : m_task(task)
{
    SetUrlAndHost(url, task ? task->URL().Host() : QString());
}

TTaskItem::~TTaskItem() = default;

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
    m_done = other->Done();
    m_running = other->Running();
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
