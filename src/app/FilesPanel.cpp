#include "app/FilesPanel.h"

#include "app/FilesModel.h"
#include "app/ProgressDelegate.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "widgets/ReportView.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

TFilesPanel::TFilesPanel(QWidget *parent)
    : QWidget(parent)
    , m_model(new TFilesModel(this))
{
    setObjectName(QStringLiteral("FilesPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *caption = new QLabel(QStringLiteral("Files found in current task :"), this);
    caption->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(caption);

    m_view = MakeReportView(QStringLiteral("FilesListView"), this);
    m_view->setModel(m_model);
    m_view->setItemDelegateForColumn(TFilesModel::ColCompleted,
                                     new TProgressDelegate(TFilesModel::ProgressRole, m_view));
    SetColumnWidths(m_view, {30, 220, 60, 70, 45, 70});
    FitColumnToWidth(m_view, TFilesModel::ColUrl);
    caption->setBuddy(m_view);
    layout->addWidget(m_view);
}

TFilesView *TFilesPanel::View() const
{
    return m_model;
}

void TFilesPanel::Clear()
{
    m_model->Clear();
}

void TFilesPanel::Fill(TTask &task)
{
    m_model->Clear();
    const QList<TTaskItem *> items = task.Items().ToList();
    for (TTaskItem *item : items) {
        if (!item->Done())
            task.AddItemRow(item);
    }
    m_model->Flush();
}

void TFilesPanel::ShowAllWaiting()
{
    m_model->SetAllWaiting();
}

void TFilesPanel::MarkActive(TTask &task)
{
    const QList<TTaskItem *> items = task.Items().ToList();
    for (TTaskItem *item : items) {
        if (item->Running())
            m_model->SetRowRunning(item, true);
    }
    m_model->Flush();
}
