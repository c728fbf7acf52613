#include "app/TaskTreePanel.h"

#include "app/TaskTreeModel.h"

#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

TTaskTreePanel::TTaskTreePanel(QWidget *parent)
    : QWidget(parent)
    , m_model(new TTaskTreeModel(this))
{
    setObjectName(QStringLiteral("TaskTreePanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *caption = new QLabel(QStringLiteral("Tasks :"), this);
    caption->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(caption);

    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("TasksTreeView"));
    m_view->setHeaderHidden(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setUniformRowHeights(true);
    m_view->setModel(m_model);
    caption->setBuddy(m_view);
    layout->addWidget(m_view);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { emit CurrentChanged(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { emit CurrentChanged(); });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const QModelIndex node = m_view->indexAt(at);
        if (node.isValid())
            SetCurrent(node);
        emit ContextMenuRequested(m_view->viewport()->mapToGlobal(at));
    });
    connect(m_view, &QAbstractItemView::activated, this, &TTaskTreePanel::NodeActivated);
}

void TTaskTreePanel::Rebuild(const QString &projectPath, bool showAllFiles)
{
    m_model->ResetRoot(projectPath);
    const QModelIndex root = m_model->RootIndex();
    struct TExpandRoot {
        QTreeView *View;
        QModelIndex Root;
        ~TExpandRoot() { View->expand(Root); }
    } expand{m_view, root};
    m_model->ScanFolder(projectPath, root, showAllFiles);
}

QModelIndex TTaskTreePanel::Current() const
{
    return m_view->currentIndex();
}

void TTaskTreePanel::SetCurrent(const QModelIndex &index)
{
    m_view->setCurrentIndex(index);
}

void TTaskTreePanel::FocusTree()
{
    m_view->setFocus();
}
