#pragma once

#include <QWidget>

class QListView;
class QStackedWidget;
class QTabBar;
class QTreeView;
class TLogModel;
class TLogView;
class TReportModel;
class TTask;

// The state panel under the task tree: the tabs "Log" and "Report" over a
// two-page notebook. The log is shared by every task and never cleared; the
// report shows the selected task.
class TStatePanel : public QWidget
{
    Q_OBJECT

public:
    enum TPage { LogPage = 0, ReportPage = 1 };

    explicit TStatePanel(QWidget *parent = nullptr);

    // What every task's log view is.
    TLogView *LogView() const;
    // Every line of the log, in order.
    QStringList LogLines() const;

    TPage CurrentPage() const;
    void SetCurrentPage(TPage page);

    // The report of the main timer's tick: filled for `task` when it is
    // empty or shows another name, else (for a running task) its "Files"
    // row brought up to date. Nothing while the log page is shown.
    void RefreshReport(const TTask &task);
    void ClearReport();

    TLogModel &LogModel() const { return *m_logModel; }
    TReportModel &ReportModel() const { return *m_reportModel; }

private:
    void FollowLogEnd();

    TLogModel *m_logModel;
    TReportModel *m_reportModel;
    QTabBar *m_tabSet;
    QStackedWidget *m_notebook;
    QListView *m_logView;
    QTreeView *m_reportView;
};
