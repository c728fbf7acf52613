#include "app/TaskTreeCommands.h"

#include "app/FilesPanel.h"
#include "app/MainForm.h"
#include "app/NewFolderForm.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/Guid.h"
#include "engine/Task.h"
#include "engine/TaskList.h"
#include "images/ui/PicturesPanel.h"
#include "session/DownloadSession.h"
#include "settings/RegSettings.h"
#include "settings/ui/TaskForm.h"
#include "widgets/ErrorReport.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromLocal8Bit(error.what());
}

} // namespace

TTaskTreeCommands::TTaskTreeCommands(TMainForm &form)
    : QObject(&form)
    , m_form(form)
{
    const auto on = [this](TCommandId id, void (TTaskTreeCommands::*handler)()) {
        connect(m_form.Action(id), &QAction::triggered, this, handler);
    };
    on(TCommandId::TasksRefresh, &TTaskTreeCommands::TasksRefreshActionExecute);
    on(TCommandId::ViewShowAllFiles, &TTaskTreeCommands::ViewShowAllFilesActionExecute);
    on(TCommandId::TasksNewFolder, &TTaskTreeCommands::TasksNewFolderActionExecute);
    on(TCommandId::TasksDelete, &TTaskTreeCommands::TasksDeleteActionExecute);
    on(TCommandId::TasksNew, &TTaskTreeCommands::TasksNewActionExecute);
    on(TCommandId::TasksProp, &TTaskTreeCommands::TasksPropActionExecute);
    connect(m_form.TreePanel(), &TTaskTreePanel::CurrentChanged, this, &TTaskTreeCommands::SelectionChanged);
    // A double click (or Enter) on a task opens its properties.
    connect(m_form.TreePanel(), &TTaskTreePanel::NodeActivated, this, [this](const QModelIndex &node) {
        if (TTaskTreeModel::IsTaskNode(node))
            ExecuteAction(m_form.Action(TCommandId::TasksProp));
    });
}

// ---- Nodes and tasks -----------------------------------------------------------

TTask *TTaskTreeCommands::TaskOfNode(const QModelIndex &node, bool report)
{
    if (!TTaskTreeModel::IsTaskNode(node))
        return nullptr;
    const QString path = TTaskTreeModel::NodePath(node);
    try {
        return m_form.Session->OpenTask(path);
    } catch (const std::exception &error) {
        if (report)
            ReportOnce(path, ErrorText(error));
        return nullptr;
    }
}

TTask *TTaskTreeCommands::SelectedTask(bool report)
{
    return TaskOfNode(m_form.TreePanel()->Current(), report);
}

void TTaskTreeCommands::ReportOnce(const QString &path, const QString &text)
{
    if (m_reportedPath == path)
        return;
    m_reportedPath = path;
    ShowErrorMessage(&m_form, text);
}

void TTaskTreeCommands::SelectionChanged()
{
    m_reportedPath.clear();
    TDownloadSession &session = *m_form.Session;
    session.TaskList().HideAll();
    m_form.FilesPanel()->Clear();
    if (TTask *task = SelectedTask()) {
        task->SetShown(true);
        m_form.FilesPanel()->Fill(*task);
    }
    UpdateCommandStates();
}

// ---- Command states ------------------------------------------------------------

void TTaskTreeCommands::UpdateCommandStates()
{
    const QModelIndex node = m_form.TreePanel()->Current();
    QAction *deleteAction = m_form.Action(TCommandId::TasksDelete);
    if (!node.isValid()) {
        deleteAction->setEnabled(false);
        ApplyOtherNodeStates();
    } else {
        deleteAction->setEnabled(node != m_form.TreePanel()->Model().RootIndex());
        if (TTaskTreeModel::IsFolderNode(node))
            ApplyFolderNodeStates();
        else if (TTaskTreeModel::IsTaskNode(node))
            ApplyTaskNodeStates(SelectedTask());
        else
            ApplyOtherNodeStates();
    }
    m_form.Action(TCommandId::TasksStopAll)->setEnabled(m_form.Session->RunningCount() > 0);
}

void TTaskTreeCommands::ApplyFolderNodeStates()
{
    m_form.Action(TCommandId::TasksNewFolder)->setEnabled(true);
    for (TCommandId id : {TCommandId::TasksProp, TCommandId::TasksRun, TCommandId::TasksStop,
                          TCommandId::TasksRestart, TCommandId::TasksSaveURL, TCommandId::TasksCollect})
        m_form.Action(id)->setEnabled(false);
    m_form.PicturesPanel()->ClearFolder();
    m_form.PicturesPanel()->hide();
}

void TTaskTreeCommands::ApplyTaskNodeStates(TTask *task)
{
    m_form.Action(TCommandId::TasksNewFolder)->setEnabled(false);
    if (!task) {
        // A project file that cannot be read: nothing can act on it but
        // Delete.
        ApplyOtherNodeStates();
        return;
    }
    for (TCommandId id : {TCommandId::TasksRestart, TCommandId::TasksSaveURL, TCommandId::TasksCollect})
        m_form.Action(id)->setEnabled(true);
    m_form.PicturesPanel()->show();
    m_form.PicturesPanel()->ShowFolder(AddBackslash(task->Options().DefaultFolder) + QStringLiteral("Saved"));
    const bool stopped = task->Stopped();
    m_form.Action(TCommandId::TasksRun)->setEnabled(stopped);
    m_form.Action(TCommandId::TasksDelete)->setEnabled(stopped);
    m_form.Action(TCommandId::TasksProp)->setEnabled(stopped);
    m_form.Action(TCommandId::TasksStop)->setEnabled(!stopped);
}

void TTaskTreeCommands::ApplyOtherNodeStates()
{
    for (TCommandId id : {TCommandId::TasksNewFolder, TCommandId::TasksProp, TCommandId::TasksRun,
                          TCommandId::TasksStop, TCommandId::TasksRestart, TCommandId::TasksSaveURL,
                          TCommandId::TasksCollect})
        m_form.Action(id)->setEnabled(false);
    m_form.PicturesPanel()->ClearFolder();
}

void TTaskTreeCommands::UpdateTreeIcons()
{
    TTaskTreeModel &model = m_form.TreePanel()->Model();
    model.ForEachNode(QModelIndex(), [&](const QModelIndex &node) {
        const TTask *task = TaskOfNode(node, false);
        if (!task)
            return;
        const int icon = task->Stopped() ? TTaskTreeModel::niStoppedTask : TTaskTreeModel::niRunningTask;
        model.SetNodeIcon(node, icon, icon);
    });
}

// ---- Refresh and "Show All" ------------------------------------------------------

void TTaskTreeCommands::Refresh()
{
    try {
        m_form.BuildTaskTree();
    } catch (const std::exception &error) {
        ShowErrorMessage(&m_form, ErrorText(error));
    }
    UpdateTreeIcons();
    m_form.Session->TaskList().HideAll();
    m_form.FilesPanel()->Clear();
    UpdateCommandStates();
}

void TTaskTreeCommands::TasksRefreshActionExecute()
{
    Refresh();
}

void TTaskTreeCommands::ViewShowAllFilesActionExecute()
{
    // The action has toggled its own check; the store follows it at once.
    m_form.Settings->Menu.ShowAllFiles = m_form.Action(TCommandId::ViewShowAllFiles)->isChecked();
    Refresh();
}

// ---- "New Folder" and "Delete" -----------------------------------------------------

void TTaskTreeCommands::TasksNewFolderActionExecute()
{
    TNewFolderForm dialog(&m_form);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TTaskTreeModel &model = m_form.TreePanel()->Model();
    QModelIndex parent = m_form.TreePanel()->Current();
    if (!parent.isValid())
        parent = model.RootIndex();
    const QString name = dialog.FolderName();
    const QString path = AddBackslash(TTaskTreeModel::NodePath(parent)) + name;
    // One level only, and an existing name is a failure too.
    if (name.isEmpty() || QFileInfo::exists(path) || !QDir().mkdir(path)) {
        ShowErrorMessage(&m_form, QStringLiteral("Cannot create directory \"%1\".").arg(path));
        return;
    }
    model.AddNode(parent, name, TTaskTreeModel::niFolder, TTaskTreeModel::niOpenFolder, path);
}

void TTaskTreeCommands::TasksDeleteActionExecute()
{
    if (!ConfirmYesNo(&m_form, QStringLiteral("Current selected item will be deleted, Are you sure ?")))
        return;
    const QModelIndex node = m_form.TreePanel()->Current();
    if (!node.isValid())
        return;
    const QString path = TTaskTreeModel::NodePath(node);
    try {
        const QFileInfo entry(path);
        const bool deleted = entry.isFile() || entry.isSymLink() ? QFile::remove(path) : DeleteFolderTree(path);
        if (!deleted) {
            ShowErrorMessage(&m_form, QStringLiteral("Delete file %1 failed !").arg(path));
            return;
        }
        m_form.Session->ForgetTaskPath(path);
        m_form.TreePanel()->Model().ForEachNode(node, [&](const QModelIndex &below) {
            m_form.Session->ForgetTaskPath(TTaskTreeModel::NodePath(below));
        });
        m_form.TreePanel()->Model().RemoveNode(node);
    } catch (const std::exception &) {
        ShowErrorMessage(&m_form, QStringLiteral("Delete action failed !"));
    }
}

bool TTaskTreeCommands::DeleteFolderTree(const QString &dir)
{
    bool result = true;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString full = AddBackslash(dir) + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            if (!DeleteFolderTree(full))
                result = false;
        } else if (!QFile::remove(full)) {
            ShowErrorMessage(&m_form, QStringLiteral("Delete file %1 failed !").arg(full));
            result = false;
        }
    }
    if (!QDir().rmdir(dir)) {
        ShowErrorMessage(&m_form, QStringLiteral("Delete directory %1 failed !").arg(dir));
        result = false;
    }
    return result;
}

// ---- "New" and "Properties" -----------------------------------------------------------

QModelIndex TTaskTreeCommands::NewTaskParent() const
{
    const QModelIndex selected = m_form.TreePanel()->Current();
    if (!selected.isValid())
        return m_form.TreePanel()->Model().RootIndex();
    if (QFileInfo(TTaskTreeModel::NodePath(selected)).isDir())
        return selected;
    return selected.parent().isValid() ? selected.parent() : selected;
}

void TTaskTreeCommands::TasksNewActionExecute()
{
    const QString browserUrl = m_form.FromBrowser ? m_form.BrowserUrl : QString();
    std::unique_ptr<TTask> task = OpenNewTask(&m_form, m_form.Settings->Options, browserUrl);
    if (!task)
        return;
    task->SetID(NewGuidText());
    TTaskTreeModel &model = m_form.TreePanel()->Model();
    const QModelIndex parent = NewTaskParent();
    const QString path = AddBackslash(TTaskTreeModel::NodePath(parent)) + task->Name() + QStringLiteral(".wrp");
    // A file of that name is replaced, but never under a task that runs,
    // here or in another program: its end would write the old task over the
    // new one.
    if (const TTask *loaded = m_form.Session->LoadedTask(path)) {
        if (!loaded->Stopped()) {
            ShowErrorMessage(&m_form, kTaskRunningMessage);
            return;
        }
    }
    if (const QString refusal = TDownloadSession::RunElsewhere(path); !refusal.isEmpty()) {
        ShowErrorMessage(&m_form, refusal);
        return;
    }
    m_form.Session->ForgetTaskPath(path);
    task->SetFileName(path);
    try {
        task->SaveToFile(path);
    } catch (const std::exception &error) {
        ShowErrorMessage(&m_form, ErrorText(error));
        return;
    }
    QModelIndex node = model.FindPath(path);
    if (!node.isValid())
        node = model.AddNode(parent, task->Name(), TTaskTreeModel::niStoppedTask, TTaskTreeModel::niStoppedTask, path);
    // The selection loads the task from the file just written and shows it.
    if (m_form.TreePanel()->Current() == node)
        SelectionChanged();
    else
        m_form.TreePanel()->SetCurrent(node);
}

void TTaskTreeCommands::TasksPropActionExecute()
{
    TTask *task = SelectedTask();
    // Taken now: the selection may change while the dialog is open. The node
    // keeps its caption and the file its name; a new name shows after the
    // next Refresh.
    const QString path = TTaskTreeModel::NodePath(m_form.TreePanel()->Current());
    if (!task)
        return;
    // Another program's run would write its copy over the edited file at
    // its end.
    if (const QString refusal = TDownloadSession::RunElsewhere(path); !refusal.isEmpty()) {
        ShowErrorMessage(&m_form, refusal);
        return;
    }
    if (!OpenEditTask(&m_form, *task))
        return;
    try {
        task->SaveToFile(path);
    } catch (const std::exception &error) {
        ShowErrorMessage(&m_form, ErrorText(error));
    }
}
