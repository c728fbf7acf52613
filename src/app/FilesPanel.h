#pragma once

#include <QWidget>

class QTreeView;
class TFilesModel;
class TFilesView;
class TTask;

// "Files found in current task :": the waiting and running items of the
// shown task, a progress bar for each running one. The engine fills it
// through View(); the window clears and refills it as the shown task changes.
class TFilesPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TFilesPanel(QWidget *parent = nullptr);

    // What every task's files view is.
    TFilesView *View() const;
    TFilesModel &Model() const { return *m_model; }

    // Empties the list.
    void Clear();
    // Clears the list and lists every item of `task` that is not done, in
    // list order, shown as running or waiting.
    void Fill(TTask &task);
    // Every row shows the waiting image (after a stop).
    void ShowAllWaiting();
    // The rows of the task's running items show the running image.
    void MarkActive(TTask &task);

private:
    TFilesModel *m_model;
    QTreeView *m_view;
};
