#include "images/ui/PicturesPanel.h"

#include "images/ui/PicturesModel.h"
#include "widgets/ReportView.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

TPicturesPanel::TPicturesPanel(QWidget *parent)
    : QWidget(parent)
    , m_model(new TPicturesModel(this))
{
    setObjectName(QStringLiteral("DownFilesPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolBar = new QToolBar(QStringLiteral("Image Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("ImageToolBar"));
    m_toolBar->setIconSize(QSize(18, 18));
    layout->addWidget(m_toolBar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("PicturesSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_list = MakeReportView(QStringLiteral("ImagesListView"), m_splitter);
    m_list->setModel(m_model);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 45);
    m_list->setColumnWidth(2, 60);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { emit ContextMenuRequested(m_list->viewport()->mapToGlobal(at)); });
    m_preview = new QLabel(m_splitter);
    m_preview->setObjectName(QStringLiteral("PreviewPane"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setMinimumSize(80, 60);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter);
}

TPicturesView *TPicturesPanel::View() const
{
    return m_model;
}

void TPicturesPanel::FillToolBar(const std::function<void(QToolBar *)> &fill)
{
    fill(m_toolBar);
}

void TPicturesPanel::BindActions(const TPicturesActions &actions)
{
    m_actions = actions;
}

void TPicturesPanel::SetLibrary(TImageLibrary *library)
{
    m_library = library;
}

void TPicturesPanel::ShowFolder(const QString &folder)
{
    // Listing the folder's pictures comes with the pictures list.
    m_folder = folder;
}

void TPicturesPanel::ClearFolder()
{
    m_folder.clear();
    m_model->Clear();
}
