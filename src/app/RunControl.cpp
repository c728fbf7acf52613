#include "app/RunControl.h"

#include "app/FilesPanel.h"
#include "app/MainForm.h"
#include "app/StatePanel.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/Errors.h"
#include "engine/Task.h"
#include "engine/UrlList.h"
#include "session/DownloadSession.h"
#include "widgets/ErrorReport.h"
#include "widgets/Messages.h"
#include "widgets/BusyCursor.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QSaveFile>

namespace {

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromLocal8Bit(error.what());
}

// The busy cursor and the wait window while workers are stopped; both go
// also when the stop fails.
class TBusyStop
{
public:
    TBusyStop(TMainForm &form, const QString &message)
        : m_form(form)
    {
        m_form.ShowWaitMessage(message);
    }
    ~TBusyStop() { m_form.HideWaitMessage(); }

private:
    const TBusyCursor m_busy;
    TMainForm &m_form;
};

// Sets a flag for the length of a command.
class TCommandScope
{
public:
    explicit TCommandScope(bool &flag)
        : m_flag(flag)
        , m_was(flag)
    {
        m_flag = true;
    }
    ~TCommandScope() { m_flag = m_was; }

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

TRunControl::TRunControl(TMainForm &form, TTaskTreeCommands &tree)
    : QObject(&form)
    , m_form(form)
    , m_tree(tree)
{
    const auto on = [this](TCommandId id, void (TRunControl::*handler)()) {
        connect(m_form.Action(id), &QAction::triggered, this, handler);
    };
    on(TCommandId::TasksRun, &TRunControl::TasksRunActionExecute);
    on(TCommandId::TasksStop, &TRunControl::TasksStopActionExecute);
    on(TCommandId::TasksRestart, &TRunControl::TasksRestartActionExecute);
    on(TCommandId::TasksStopAll, &TRunControl::TasksStopAllActionExecute);
    on(TCommandId::TasksSaveURL, &TRunControl::TasksSaveURLActionExecute);
}

void TRunControl::Refresh()
{
    m_tree.UpdateCommandStates();
    m_tree.UpdateTreeIcons();
}

// ---- Run, Stop, Restart, Stop all ----------------------------------------------

void TRunControl::TasksRunActionExecute()
{
    TCommandScope scope(m_inCommand);
    TDownloadSession &session = *m_form.Session;
    if (session.RunningCount() >= TDownloadSession::kUserRunLimit) {
        ShowErrorMessage(&m_form, QStringLiteral("Too many tasks running, please wait until a task stop!"));
        return;
    }
    if (TTask *task = m_tree.SelectedTask()) {
        switch (session.RunByUser(task)) {
        case TDownloadSession::TStartResult::Started:
            m_form.FilesPanel()->MarkActive(*task);
            break;
        case TDownloadSession::TStartResult::AllDone:
            // Every item is done: only a restart (which asks first) runs it.
            ExecuteAction(m_form.Action(TCommandId::TasksRestart));
            break;
        case TDownloadSession::TStartResult::AlreadyRunning:
            ShowErrorMessage(&m_form, QStringLiteral("Sorry, current task already running !"));
            break;
        case TDownloadSession::TStartResult::HeldElsewhere:
            // Another program on this home runs the task file.
            ShowErrorMessage(&m_form, session.LastRefusal());
            break;
        case TDownloadSession::TStartResult::TooManyRunning:
            break; // tested above
        }
    }
    Refresh();
}

void TRunControl::TasksStopActionExecute()
{
    TCommandScope scope(m_inCommand);
    if (TTask *task = m_tree.SelectedTask()) {
        if (task->Stopped()) {
            ShowErrorMessage(&m_form, QStringLiteral("Sorry, current task already stopped !"));
        } else {
            QString failure;
            {
                TBusyStop busy(m_form, QStringLiteral("Terminate threads"));
                try {
                    m_form.Session->StopTask(task);
                } catch (const std::exception &error) {
                    failure = ErrorText(error);
                }
            }
            m_form.FilesPanel()->ShowAllWaiting();
            if (!failure.isEmpty())
                ShowErrorMessage(&m_form, failure);
        }
    }
    Refresh();
}

void TRunControl::TasksRestartActionExecute()
{
    TCommandScope scope(m_inCommand);
    const QModelIndex node = m_form.TreePanel()->Current();
    if (TTaskTreeModel::IsTaskNode(node)
        && ConfirmYesNo(&m_form, QStringLiteral("This action will redownload images from specified url, are you sure ?"))) {
        if (TTask *task = m_tree.TaskOfNode(node)) {
            // The rows refer to the items the restart is about to free.
            m_form.FilesPanel()->Clear();
            TBusyStop busy(m_form, QStringLiteral("Terminate threads of current task"));
            m_form.Session->RestartTask(task);
        }
    }
    Refresh();
}

void TRunControl::TasksStopAllActionExecute()
{
    TCommandScope scope(m_inCommand);
    QString failure;
    {
        TBusyStop busy(m_form, QStringLiteral("Terminate thread"));
        m_form.FilesPanel()->ShowAllWaiting();
        try {
            m_form.Session->StopAll();
        } catch (const std::exception &error) {
            failure = ErrorText(error);
        }
    }
    if (!failure.isEmpty())
        ShowErrorMessage(&m_form, failure);
    Refresh();
}

// ---- Save URL ----------------------------------------------------------------------

void TRunControl::TasksSaveURLActionExecute()
{
    TTask *task = m_tree.SelectedTask();
    if (!task)
        return;
    QFileDialog dialog(&m_form, QStringLiteral("Save URL"));
    dialog.setObjectName(QStringLiteral("SaveURLDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({QStringLiteral("Text files(*.txt)"), QStringLiteral("All files(*.*)")});
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString failure;
    try {
        const TBusyCursor busy;
        SaveUrlList(*task, dialog.selectedFiles().first());
    } catch (const std::exception &error) {
        failure = ErrorText(error);
    }
    if (!failure.isEmpty())
        ShowErrorMessage(&m_form, failure);
}

void TRunControl::SaveUrlList(const TTask &task, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(UrlListText(task)) < 0 || !file.commit())
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

// ---- The timer's report and the session's news -------------------------------------

void TRunControl::RefreshReport()
{
    const QModelIndex node = m_form.TreePanel()->Current();
    TStatePanel &state = *m_form.StatePanel();
    if (!TTaskTreeModel::IsTaskNode(node)) {
        state.ClearReport();
        return;
    }
    if (const TTask *task = m_tree.TaskOfNode(node))
        state.RefreshReport(*task);
}

void TRunControl::TaskFinished(TTask *)
{
    Refresh();
    // Whichever task it was showing: the ended run's rows are all gone.
    m_form.FilesPanel()->Clear();
}

void TRunControl::TaskStateChanged(TTask *task)
{
    // Commands here refresh the window at their end; a run's end comes as
    // TaskFinished. What is left is a start by schedule.
    if (m_inCommand || task->Stopped())
        return;
    if (task->Shown())
        m_form.FilesPanel()->MarkActive(*task);
    Refresh();
}

void TRunControl::RunRefused(TTask *task, const QString &reason)
{
    if (!m_inCommand)
        task->ShowLog(reason, TLogKind::Failure);
}
