#pragma once

#include <QModelIndex>
#include <QObject>
#include <QString>

class TMainForm;
class TTask;

// The task tree's commands and what the selection decides: which task a
// node stands for (`TaskOfNode`), which commands can act on it
// (`UpdateCommandStates`), the tree's icons, Refresh, "Show All", "New
// Folder", "Delete", "New" and "Properties". The tree is the gate to the
// tasks in memory: a task is loaded the first time its node is used and
// stays loaded for the rest of the run.
class TTaskTreeCommands : public QObject
{
    Q_OBJECT

public:
    explicit TTaskTreeCommands(TMainForm &form);

    // The task of a task node, loading it on first use; null for other
    // nodes and for a file that cannot be read. A file that cannot be read
    // is reported once per selection of its node when `report` is set, so a
    // timer that resolves the selected node does not raise it again.
    TTask *TaskOfNode(const QModelIndex &node, bool report = true);
    TTask *SelectedTask(bool report = true);

    void UpdateCommandStates();
    // Running and stopped icons for every task node whose task is loaded,
    // loading each task of the tree (silently: a broken file is reported
    // when its node is selected).
    void UpdateTreeIcons();

    // The selection changed: the newly selected task is shown.
    void SelectionChanged();
    // The tree read anew from the project folder.
    void Refresh();

    void TasksRefreshActionExecute();
    void ViewShowAllFilesActionExecute();
    void TasksNewFolderActionExecute();
    void TasksDeleteActionExecute();
    void TasksNewActionExecute();
    void TasksPropActionExecute();

    // Deletes a folder with everything below it, reporting each file or
    // folder that would not go; true when everything went.
    bool DeleteFolderTree(const QString &dir);

private:
    void ApplyFolderNodeStates();
    void ApplyTaskNodeStates(TTask *task);
    void ApplyOtherNodeStates();
    void ReportOnce(const QString &path, const QString &text);
    // The folder node a new task goes into: the selected node when it is a
    // folder, else its parent; the root when nothing is selected.
    QModelIndex NewTaskParent() const;

    TMainForm &m_form;
    // The node whose unreadable file was reported last; reset when the
    // selection changes.
    QString m_reportedPath;
};
