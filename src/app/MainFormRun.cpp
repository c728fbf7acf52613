// The main window's run control as far as the end of the program needs it:
// "Stop all" and the icons it refreshes.
#include "app/MainForm.h"

#include "engine/Task.h"
#include "engine/TaskList.h"

#include <QApplication>
#include <QIcon>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

void TMainForm::TasksStopAllActionExecute()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowWaitMessage(QStringLiteral("Terminate thread"));
    ResetFileIcons();
    // The cursor and the wait window come back also when a stop fails.
    struct TRestore {
        TMainForm *Form;
        ~TRestore()
        {
            QApplication::restoreOverrideCursor();
            Form->HideWaitMessage();
        }
    } restore{this};
    for (int index = TaskList->Count() - 1; index >= 0; --index) {
        TTask *task = TaskList->Get(index);
        if (!task || task->Stopped())
            continue;
        StopTask(task);
        task->SaveToFile(task->FileName());
    }
    UpdateTreeIcons();
}

void TMainForm::StopTask(TTask *task)
{
    task->Stop();
}

void TMainForm::UpdateTreeIcons()
{
    for (QTreeWidgetItemIterator it(TasksTreeView); *it; ++it) {
        QTreeWidgetItem *node = *it;
        if (!IsTaskNode(node))
            continue;
        const TTask *task = LoadedTaskOfNode(node);
        if (!task)
            continue;
        const int icon = task->Stopped() ? niStoppedTask : niRunningTask;
        SetNodeIcon(node, icon, icon);
    }
}

void TMainForm::ResetFileIcons()
{
    const QIcon waiting(QStringLiteral(":/icons/item-waiting.svg"));
    for (int row = 0; row < FilesListView->topLevelItemCount(); ++row)
        FilesListView->topLevelItem(row)->setIcon(0, waiting);
}

TTask *TMainForm::LoadedTaskOfNode(const QTreeWidgetItem *node) const
{
    if (!IsTaskNode(node) || !TaskList)
        return nullptr;
    const QString path = NodePath(node);
    if (!LoadedTaskPaths.contains(path, Qt::CaseInsensitive))
        return nullptr;
    const int index = TaskList->IndexOfFileName(path);
    return index < 0 ? nullptr : TaskList->Get(index);
}
