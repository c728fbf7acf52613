#include "settings/TaskEntry.h"

#include "engine/FileNames.h"
#include "engine/MaskEntry.h"
#include "engine/OptionFields.h"
#include "engine/Task.h"
#include "settings/ListLimit.h"
#include "settings/TaskNaming.h"

#include <QDir>
#include <QFileInfo>

TTaskEntry NewTaskEntry(const TRegOptions &defaults)
{
    TTaskEntry entry;
    CopyOptionFields(defaults, entry.Options, TOptionRole::DefaultsAndTask);
    for (QString &mask : entry.Options.FileMasks)
        mask = JoinMaskEntry(SplitMaskEntry(mask));
    return entry;
}

TTaskEntry TaskEntryOf(const TTask &task)
{
    return {task.Name(), task.URL().URI(), task.Note(), task.Options()};
}

QString TaskEntryFaultMessage(TTaskEntryFault fault)
{
    switch (fault) {
    case TTaskEntryFault::None:
        break;
    case TTaskEntryFault::InvalidName:
        return kInvalidTaskNameMessage;
    case TTaskEntryFault::ListTooLong:
        return QStringLiteral("A list of image extend names or excluded files holds more than %1 entries, "
                              "more than a task can keep. Delete some and try again.")
            .arg(kMaxListEntries);
    case TTaskEntryFault::EmptySaveFolder:
        return QStringLiteral("Unable to create directory");
    }
    return {};
}

TTaskEntryFault ConfirmTaskEntry(TTaskEntry &entry)
{
    if (!IsValidTaskName(entry.Name))
        return TTaskEntryFault::InvalidName;
    if (entry.Options.FileMasks.size() > kMaxListEntries || entry.Options.ExcludeFiles.size() > kMaxListEntries)
        return TTaskEntryFault::ListTooLong;
    entry.Url = CompleteUrl(entry.Url);
    const QString &folder = entry.Options.DefaultFolder;
    if (folder.isEmpty())
        return TTaskEntryFault::EmptySaveFolder;
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    return TTaskEntryFault::None;
}

ETaskEntryError::ETaskEntryError(TTaskEntryFault fault)
    : EZavelonError(TaskEntryFaultMessage(fault))
    , m_fault(fault)
{
}

std::unique_ptr<TTask> MakeNewTask(TTaskEntry entry)
{
    const TTaskEntryFault fault = ConfirmTaskEntry(entry);
    if (fault != TTaskEntryFault::None)
        throw ETaskEntryError(fault);
    auto task = std::make_unique<TTask>();
    ApplyTaskEntry(entry, *task);
    return task;
}

void ApplyTaskEntry(const TTaskEntry &entry, TTask &task)
{
    task.SetName(entry.Name);
    task.URL().SetURI(entry.Url);
    task.SetNote(entry.Note);
    task.Options() = entry.Options;
    task.Options().DefaultFolder = AddBackslash(entry.Options.DefaultFolder);
}
