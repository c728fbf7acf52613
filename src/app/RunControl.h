#pragma once

#include <QObject>

class TMainForm;
class TTask;
class TTaskTreeCommands;

// The window's side of running tasks: "Run" (with the limit of three tasks
// and the restart of a finished task), "Stop", "Restart", "Stop all", "Save
// URL", the end of a run, and the report that the main timer keeps current.
// The session runs the tasks; this decides what to refuse and what to show.
class TRunControl : public QObject
{
    Q_OBJECT

public:
    TRunControl(TMainForm &form, TTaskTreeCommands &tree);

    void TasksRunActionExecute();
    void TasksStopActionExecute();
    void TasksRestartActionExecute();
    void TasksStopAllActionExecute();
    void TasksSaveURLActionExecute();

    // The main timer's tick, before due schedules start: the report of the
    // selected task.
    void RefreshReport();
    // A run ended by itself (its project file is written).
    void TaskFinished(TTask *task);
    // A task started or stopped other than by a command here (a schedule).
    void TaskStateChanged(TTask *task);
    // A start was refused because another program runs the task file: a
    // command tells the user in a box; a schedule's start leaves a line in
    // the log.
    void RunRefused(TTask *task, const QString &reason);

    // The text of the Save URL file, written to `fileName` (replacing it);
    // raises EZavelonError naming the file when it cannot be written.
    static void SaveUrlList(const TTask &task, const QString &fileName);

private:
    void Refresh();

    TMainForm &m_form;
    TTaskTreeCommands &m_tree;
    // Inside a command that refreshes the window at its end.
    bool m_inCommand = false;
};
