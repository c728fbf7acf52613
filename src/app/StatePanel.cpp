#include "app/StatePanel.h"

#include "app/LogModel.h"
#include "app/ReportModel.h"
#include "engine/Task.h"
#include "widgets/ReportView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QListView>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeView>
#include <QVBoxLayout>

TStatePanel::TStatePanel(QWidget *parent)
    : QWidget(parent)
    , m_logModel(new TLogModel(this))
    , m_reportModel(new TReportModel(this))
{
    setObjectName(QStringLiteral("StatePanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_notebook = new QStackedWidget(this);
    m_notebook->setObjectName(QStringLiteral("StateNotebook"));
    m_logView = new QListView(m_notebook);
    m_logView->setObjectName(QStringLiteral("LogEdit"));
    m_logView->setAccessibleName(QStringLiteral("Log"));
    m_logView->setModel(m_logModel);
    m_logView->setUniformItemSizes(true);
    m_logView->setWordWrap(false);
    m_logView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_logView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_logView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Selected lines go to the clipboard as text.
    auto *copy = new QShortcut(QKeySequence::Copy, m_logView, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] {
        QModelIndexList rows = m_logView->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end());
        QStringList lines;
        for (const QModelIndex &row : rows)
            lines.append(row.data().toString());
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    });
    connect(m_logModel, &TLogModel::LinesAdded, this, &TStatePanel::FollowLogEnd);
    m_notebook->addWidget(m_logView);

    m_reportView = MakeReportView(QStringLiteral("ReportListView"), m_notebook);
    m_reportView->setModel(m_reportModel);
    SetColumnWidths(m_reportView, {70, 150, 100});
    FitColumnToWidth(m_reportView, 2);
    m_notebook->addWidget(m_reportView);

    m_tabSet = new QTabBar(this);
    m_tabSet->setObjectName(QStringLiteral("TabSet"));
    m_tabSet->setShape(QTabBar::RoundedSouth);
    m_tabSet->setDrawBase(false);
    m_tabSet->addTab(QStringLiteral("Log"));
    m_tabSet->addTab(QStringLiteral("Report"));
    m_tabSet->setCurrentIndex(LogPage);
    connect(m_tabSet, &QTabBar::currentChanged, m_notebook, &QStackedWidget::setCurrentIndex);

    layout->addWidget(m_notebook);
    layout->addWidget(m_tabSet, 0, Qt::AlignLeft);
}

TLogView *TStatePanel::LogView() const
{
    return m_logModel;
}

QStringList TStatePanel::LogLines() const
{
    return m_logModel->Lines();
}

TStatePanel::TPage TStatePanel::CurrentPage() const
{
    return TPage(m_tabSet->currentIndex());
}

void TStatePanel::SetCurrentPage(TPage page)
{
    m_tabSet->setCurrentIndex(page);
}

void TStatePanel::RefreshReport(const TTask &task)
{
    if (CurrentPage() != ReportPage)
        return;
    if (m_reportModel->IsEmpty() || m_reportModel->ShownName() != task.Name())
        m_reportModel->Fill(task.Name(), task.URL().URI(), task.DoneCount(), task.Items().Count());
    else if (!task.Stopped())
        m_reportModel->UpdateFiles(task.DoneCount(), task.Items().Count());
}

void TStatePanel::ClearReport()
{
    m_reportModel->Clear();
}

void TStatePanel::FollowLogEnd()
{
    // Follow new lines only while the user looks at the end; someone reading
    // further up keeps their place.
    const QScrollBar *bar = m_logView->verticalScrollBar();
    if (bar->value() >= bar->maximum() - 2 * m_logView->sizeHintForRow(0) || bar->maximum() == 0)
        m_logView->scrollToBottom();
}
