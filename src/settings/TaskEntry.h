#pragma once

#include "engine/Errors.h"
#include "engine/RegOptions.h"

#include <QString>

#include <memory>

class TTask;

// A task as the user gives it: the values of the task dialog when it is
// confirmed, or of `zavelon-cli task new`. The dialog and the command line
// make and change tasks only through the functions below, so both follow the
// same rules:
//
//     TTaskEntry entry = NewTaskEntry(settings.Options);
//     entry.Url = QStringLiteral("example.com/pics");
//     entry.Name = NameFromUrl(entry.Url);
//     entry.Options.DefaultFolder = SaveFolderOfName(settings.Options.DefaultFolder, entry.Name);
//     std::unique_ptr<TTask> task = MakeNewTask(entry); // throws ETaskEntryError
//     task->SetID(NewGuidText());
struct TTaskEntry {
    QString Name;
    QString Url;  // as typed; completed by ConfirmTaskEntry
    QString Note;
    // Every option of the task. DefaultFolder is the save folder as typed;
    // the task gets it with a trailing separator.
    TRegOptions Options;
};

// What a new task starts from: no name, URL or note; options of the
// constructor's values, then every field the defaults hand to new tasks (role
// DefaultsAndTask: save folder, size limit, depth, masks, excluded files,
// schedule and the proxy settings). The masks come as the editor's rows give
// them back ("extension, folder"; an entry without a comma becomes ", ").
TTaskEntry NewTaskEntry(const TRegOptions &defaults);

// The entry of an existing task, to be changed and applied back.
TTaskEntry TaskEntryOf(const TTask &task);

// What keeps an entry from being confirmed.
enum class TTaskEntryFault {
    None,
    InvalidName,     // see IsValidTaskName
    ListTooLong,     // a list holds more than kMaxListEntries entries
    EmptySaveFolder, // the save folder cannot be made
};
// The message shown for a fault; empty for None.
QString TaskEntryFaultMessage(TTaskEntryFault fault);

// The task dialog's OK, in its order, for a new task and a changed one: the
// name must be valid; both lists must fit the project file; the URL is
// completed; the save folder is made with its missing parents (a folder that
// cannot be made is left to the run to report, an empty one is a fault).
// Stops at the first fault and returns it.
TTaskEntryFault ConfirmTaskEntry(TTaskEntry &entry);

class ETaskEntryError : public EZavelonError
{
public:
    explicit ETaskEntryError(TTaskEntryFault fault);
    TTaskEntryFault Fault() const { return m_fault; }

private:
    TTaskEntryFault m_fault;
};

// Confirms the entry and makes its task: name, completed URL, note, the
// options with the save folder ending in a separator. The task has no ID and
// no file name yet. Throws ETaskEntryError for a fault.
std::unique_ptr<TTask> MakeNewTask(TTaskEntry entry);

// Copies a confirmed entry into a task: name, URL, note and options, the
// save folder ending in a separator.
void ApplyTaskEntry(const TTaskEntry &entry, TTask &task);
