#include "images/ui/PicturesPanel.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ui/ConfirmDeleteForm.h"
#include "images/ui/DeleteByForm.h"
#include "images/ui/DeleteByRules.h"
#include "images/ui/DesktopWallpaper.h"
#include "images/ui/ImageScrollBox.h"
#include "widgets/Messages.h"
#include "images/ui/PictureFolder.h"
#include "images/ui/PictureLoader.h"
#include "images/ui/PicturePane.h"
#include "images/ui/PicturesModel.h"
#include "images/ui/PicturesSortProxy.h"
#include "images/ui/UrlOpener.h"
#include "images/ui/ViewImageForm.h"
#include "images/ui/WallpaperOptionsForm.h"
#include "widgets/ErrorReport.h"
#include "widgets/ReportView.h"
#include "widgets/BusyCursor.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPromise>
#include <QSet>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <numeric>

// One picture measured for the library by "Build-in", or why it could not be.
struct TBuildInStep {
    QString Path;
    double Added = 0;
    qint32 FileSize = 0;
    qint32 Width = -1;
    qint32 Height = -1;
    QString Error;
};

namespace {

void Enable(QAction *action, bool enabled)
{
    if (action)
        action->setEnabled(enabled);
}

// Measures each picture off the user-interface thread; the library itself is
// only touched on that thread, as each result comes back. The first file that
// cannot be opened ends the job.
void MeasurePictures(QPromise<TBuildInStep> &promise, const QStringList &paths)
{
    for (const QString &path : paths) {
        if (promise.isCanceled())
            return;
        TBuildInStep step;
        step.Path = path;
        try {
            const std::unique_ptr<TImageDetail> record = MakeImageDetail(path);
            step.Added = record->Added;
            step.FileSize = record->FileSize;
            step.Width = record->Width;
            step.Height = record->Height;
        } catch (const EZavelonError &error) {
            step.Error = error.message();
        } catch (const std::exception &error) {
            step.Error = QString::fromLocal8Bit(error.what());
        }
        promise.addResult(step);
        if (!step.Error.isEmpty())
            return;
    }
}

} // namespace

TPicturesPanel::TPicturesPanel(QWidget *parent)
    : QWidget(parent)
    , m_model(new TPicturesModel(this))
    , m_proxy(new TPicturesSortProxy(m_model, this))
{
    setObjectName(QStringLiteral("DownFilesPanel"));
    m_model->SetIcons(&m_icons);
    m_proxy->SetIcons(&m_icons);
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
    m_list->setAccessibleName(QStringLiteral("Downloaded images"));
    m_list->setModel(m_proxy);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(false);
    SetColumnWidths(m_list, {150, 45, 60});
    FitColumnToWidth(m_list, TPicturesModel::ColName);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);

    m_preview = new TPicturePane(m_splitter);
    m_preview->setObjectName(QStringLiteral("PreviewPane"));
    m_preview->setMinimumSize(80, 60);
    m_preview->ScrollBox()->setAccessibleName(QStringLiteral("Preview"));
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter);

    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { emit ContextMenuRequested(m_list->viewport()->mapToGlobal(at)); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &TPicturesPanel::ImagesListViewColumnClick);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { ImagesListViewDblClick(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TPicturesPanel::ImagesListViewChange);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TPicturesPanel::ImagesListViewChange);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &TPicturesPanel::ImagesListViewChange);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &TPicturesPanel::ImagesListViewChange);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &TPicturesPanel::ImagesListViewChange);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &TPicturesPanel::ImagesListViewChange);
}

TPicturesPanel::~TPicturesPanel()
{
    // Quietly: whoever showed the progress may be gone already.
    StopBuildIn(false);
}

TPicturesView *TPicturesPanel::View() const
{
    return m_model;
}

void TPicturesPanel::FillToolBar(const std::function<void(QToolBar *)> &fill)
{
    fill(m_toolBar);
}

// ---------------------------------------------------------------------------
// Commands

void TPicturesPanel::BindActions(const TPicturesActions &actions)
{
    m_actions = actions;
    ConnectActions();
    for (QAction *sort : {m_actions.Unsort, m_actions.SortByName, m_actions.SortByType, m_actions.SortBySize}) {
        if (sort && sort->isChecked())
            SortByAction(sort);
    }
    if (m_actions.Fit)
        ImagesFitActionExecute(m_actions.Fit->isChecked());
    UpdateImagesActions();
}

void TPicturesPanel::ConnectActions()
{
    const auto on = [this](QAction *action, void (TPicturesPanel::*handler)()) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    on(m_actions.Delete, &TPicturesPanel::ImagesDeleteActionExecute);
    on(m_actions.DeleteAll, &TPicturesPanel::ImagesDeleteAllActionExecute);
    on(m_actions.DeleteBy, &TPicturesPanel::ImagesDeleteByActionExecute);
    on(m_actions.OpenFolder, &TPicturesPanel::ImagesOpenFolderActionExecute);
    on(m_actions.BuildIn, &TPicturesPanel::ImagesBuildInActionExecute);
    on(m_actions.SetWallpaper, &TPicturesPanel::ImagesSetWallpaperActionExecute);
    if (m_actions.CopyTo)
        connect(m_actions.CopyTo, &QAction::triggered, this, [this] {
            if (const QStringList files = SelectedFiles(); !files.isEmpty())
                emit CopyRequested(files);
        });
    if (m_actions.MoveTo)
        connect(m_actions.MoveTo, &QAction::triggered, this, [this] {
            if (const QStringList files = SelectedFiles(); !files.isEmpty())
                emit MoveRequested(files);
        });
    // The check state is the setting: it is followed however it changes
    // (a click, or the stored value applied at start).
    if (m_actions.Fit)
        connect(m_actions.Fit, &QAction::toggled, this, &TPicturesPanel::ImagesFitActionExecute);
    for (QAction *sort : {m_actions.Unsort, m_actions.SortByName, m_actions.SortByType, m_actions.SortBySize}) {
        if (!sort)
            continue;
        connect(sort, &QAction::toggled, this, [this, sort](bool checked) {
            if (checked)
                SortByAction(sort);
        });
        // Chosen from the menu: the order turns automatic and applies at once
        // (none keeps the rows as they are).
        connect(sort, &QAction::triggered, this, [this, sort] {
            m_proxy->SetAutoSort(sort != m_actions.Unsort);
            if (sort != m_actions.Unsort)
                m_proxy->SortOnce();
        });
    }
}

void TPicturesPanel::SortByAction(QAction *action)
{
    if (action == m_actions.SortByName)
        m_proxy->SetMode(TPicturesSortProxy::ByName);
    else if (action == m_actions.SortByType)
        m_proxy->SetMode(TPicturesSortProxy::ByType);
    else if (action == m_actions.SortBySize)
        m_proxy->SetMode(TPicturesSortProxy::BySize);
    else
        m_proxy->SetMode(TPicturesSortProxy::Unsorted);
}

void TPicturesPanel::UpdateImagesActions()
{
    // Zoom and the order are the user's preferences, which stay open to
    // change with no task selected.
    for (QAction *action : {m_actions.Fit, m_actions.Unsort, m_actions.SortByName, m_actions.SortByType,
                            m_actions.SortBySize})
        Enable(action, true);
    if (m_folderCleared) {
        for (QAction *action : {m_actions.CopyTo, m_actions.MoveTo, m_actions.Delete, m_actions.DeleteAll,
                                m_actions.DeleteBy, m_actions.SetWallpaper, m_actions.OpenFolder, m_actions.BuildIn})
            Enable(action, false);
        return;
    }
    const bool selected = m_list->selectionModel()->hasSelection();
    const bool rows = m_proxy->rowCount() > 0;
    for (QAction *action : {m_actions.CopyTo, m_actions.MoveTo, m_actions.Delete, m_actions.SetWallpaper})
        Enable(action, selected);
    Enable(m_actions.DeleteAll, rows);
    Enable(m_actions.DeleteBy, rows);
    Enable(m_actions.BuildIn, rows && !BuildingIn());
    Enable(m_actions.OpenFolder, !m_folder.isEmpty());
}

// ---------------------------------------------------------------------------
// Filling

void TPicturesPanel::SetLibrary(TImageLibrary *library)
{
    if (library != m_library)
        StopBuildIn(true);
    m_library = library;
}

void TPicturesPanel::ShowFolder(const QString &folder)
{
    m_folderCleared = false;
    m_folder = folder;
    show();
    FillImagesList(folder);
    m_proxy->SortOnce();
    UpdateImagesActions();
}

void TPicturesPanel::ClearFolder()
{
    m_folderCleared = true;
    m_folder.clear();
    m_buildInList.clear();
    m_model->Clear();
    m_preview->Clear();
    UpdateImagesActions();
    hide();
}

void TPicturesPanel::FillImagesList(const QString &folder)
{
    TBusyCursor busy;
    m_buildInList.clear();
    // The rows shown now go first: a large folder is not held twice.
    m_model->Clear();
    std::vector<TPicturesModel::TRow> rows;
    const QString prefix = AddBackslash(folder);
    ForEachPictureFolderEntry(folder, [&](const QFileInfo &entry) {
        const QString path = prefix + entry.fileName();
        rows.push_back({path, ListedSize(entry), m_icons.IconIndex(entry)});
        if (m_library && !m_library->Find(path))
            m_buildInList.append(path);
    });
    m_model->SetRows(std::move(rows));
}

QStringList TPicturesPanel::ListedFiles() const
{
    QStringList files;
    files.reserve(m_proxy->rowCount());
    for (int row = 0; row < m_proxy->rowCount(); ++row)
        files.append(m_model->FileName(m_proxy->mapToSource(m_proxy->index(row, 0)).row()));
    return files;
}

QStringList TPicturesPanel::SelectedFiles() const
{
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList files;
    for (const QModelIndex &row : std::as_const(rows))
        files.append(m_model->FileName(m_proxy->mapToSource(row).row()));
    return files;
}

int TPicturesPanel::SelectedListRow() const
{
    const QItemSelectionModel *selection = m_list->selectionModel();
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    int first = -1;
    for (const QModelIndex &row : selection->selectedRows()) {
        if (first < 0 || row.row() < first)
            first = row.row();
    }
    return first;
}

QString TPicturesPanel::SelectedFile() const
{
    const int row = SelectedListRow();
    return row < 0 ? QString() : m_model->FileName(m_proxy->mapToSource(m_proxy->index(row, 0)).row());
}

std::vector<int> TPicturesPanel::SelectedSourceRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &row : m_list->selectionModel()->selectedRows())
        rows.push_back(m_proxy->mapToSource(row).row());
    return rows;
}

void TPicturesPanel::RemoveFileRows(const QStringList &files)
{
    const QSet<QString> gone(files.cbegin(), files.cend());
    std::vector<int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (gone.contains(m_model->FileName(row)))
            rows.push_back(row);
    }
    ForgetRows(rows);
}

void TPicturesPanel::RemoveDeletedRows(const std::vector<int> &sourceRows)
{
    std::vector<int> gone;
    for (int row : sourceRows) {
        if (DeletePictureFile(m_model->FileName(row)))
            gone.push_back(row);
    }
    ForgetRows(gone);
}

void TPicturesPanel::ForgetRows(const std::vector<int> &sourceRows)
{
    // A file that went through this list is not waiting for "Build-in" any
    // more; one that vanished behind its back still stops a build-in.
    QSet<QString> files;
    for (int row : sourceRows)
        files.insert(m_model->FileName(row));
    m_buildInList.removeIf([&files](const QString &path) { return files.contains(path); });
    m_model->RemoveRows(sourceRows);
}

// ---------------------------------------------------------------------------
// The list's events

void TPicturesPanel::ImagesListViewChange()
{
    UpdateImagesActions();
    const int listRow = SelectedListRow();
    const QPersistentModelIndex row =
        listRow < 0 ? QPersistentModelIndex() : QPersistentModelIndex(m_proxy->mapToSource(m_proxy->index(listRow, 0)));
    if (row.isValid() && row == m_shownRow)
        return;
    m_shownRow = row;
    if (!row.isValid()) {
        m_preview->Clear();
        return;
    }
    m_preview->Show(m_model->FileName(row.row()));
}

void TPicturesPanel::ImagesListViewColumnClick(int column)
{
    const TPicturesSortProxy::TMode mode = TPicturesSortProxy::ModeOfColumn(column);
    QAction *const byColumn[] = {m_actions.SortByName, m_actions.SortByType, m_actions.SortBySize};
    if (column >= 0 && column < 3 && byColumn[column])
        byColumn[column]->setChecked(true);
    m_proxy->SetMode(mode);
    m_proxy->ClickMark(column);
    m_proxy->SortOnce();
}

void TPicturesPanel::ImagesListViewDblClick()
{
    const int row = SelectedListRow();
    if (row < 0 || SelectedFile().isEmpty())
        return;
    TViewImageForm viewer(this);
    viewer.View(ListedFiles(), row);
}

bool TPicturesPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ImagesListViewDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Deleting

void TPicturesPanel::ImagesDeleteActionExecute()
{
    if (!m_list->selectionModel()->hasSelection())
        return;
    if (!AskYes(this, QStringLiteral("Do you want to delete selected images ?"),
                     QMessageBox::Ok | QMessageBox::Cancel))
        return;
    RemoveDeletedRows(SelectedSourceRows());
}

void TPicturesPanel::ImagesDeleteAllActionExecute()
{
    if (m_model->rowCount() == 0)
        return;
    if (!AskYes(this, QStringLiteral("Delete all downloaded files ?"), QMessageBox::Yes | QMessageBox::No))
        return;
    TBusyCursor busy;
    std::vector<int> rows(size_t(m_model->rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    RemoveDeletedRows(rows);
}

void TPicturesPanel::ImagesDeleteByActionExecute()
{
    TDeleteByForm rule(this);
    if (rule.exec() != QDialog::Accepted)
        return;
    QStringList candidates;
    switch (rule.Rule()) {
    case TDeleteByForm::ImageSizeRule:
        if (m_library)
            candidates = SmallPictureCandidates(ListedFiles(), *m_library, rule.WidthLimit(), rule.HeightLimit());
        break;
    case TDeleteByForm::FileSizeRule: {
        std::vector<TListedFile> rows;
        for (int row = 0; row < m_proxy->rowCount(); ++row) {
            const TPicturesModel::TRow &listed = m_model->Row(m_proxy->mapToSource(m_proxy->index(row, 0)).row());
            rows.push_back({listed.FileName, listed.Size});
        }
        candidates = SmallFileCandidates(rows, rule.SizeText());
        break;
    }
    case TDeleteByForm::FileFilterRule:
        if (!m_folder.isEmpty())
            candidates = FilterCandidates(m_folder, rule.Filter());
        break;
    }
    TConfirmDeleteForm confirm(candidates, this);
    if (confirm.exec() != QDialog::Accepted)
        return;
    TBusyCursor busy;
    RemoveFileRows(confirm.DeletedFiles());
}

// ---------------------------------------------------------------------------
// Preview, folder, wallpaper

void TPicturesPanel::ImagesFitActionExecute(bool fit)
{
    m_preview->ScrollBox()->SetZoomMode(fit ? zmFitToPage : zmOriginalSize);
}

void TPicturesPanel::ImagesOpenFolderActionExecute()
{
    if (m_folder.isEmpty())
        return;
    if (!QFileInfo(m_folder).isDir()) {
        ShowErrorMessage(this, QStringLiteral("The folder %1 does not exist yet.").arg(m_folder));
        return;
    }
    if (!OpenUrl(QUrl::fromLocalFile(m_folder)))
        ShowErrorMessage(this, QStringLiteral("Cannot open the folder %1").arg(m_folder));
}

QImage TPicturesPanel::WallpaperPicture(const QString &path)
{
    // The preview's picture when it shows this file; else the file is
    // decoded now (the preview may still be on its way, or may have kept
    // an earlier picture because this one did not decode).
    if (m_preview->ShownPath() == path && !m_preview->Loading())
        return m_preview->ShownPicture();
    const TDecodedPicture picture = DecodePicture(path);
    if (!picture.Decoded())
        throw EZavelonError(picture.Error);
    return picture.Image;
}

void TPicturesPanel::ImagesSetWallpaperActionExecute()
{
    const QString path = SelectedFile();
    if (path.isEmpty())
        return;
    TWallpaperOptionsForm options(this);
    if (options.exec() != QDialog::Accepted)
        return;
    QString error;
    {
        TBusyCursor busy;
        try {
            const QString file = SaveWallpaperPicture(WallpaperPicture(path), path);
            ApplyWallpaper(file, options.Style());
        } catch (const EZavelonError &failure) {
            error = failure.message();
        }
    }
    if (!error.isEmpty())
        ShowErrorMessage(this, error);
}

// ---------------------------------------------------------------------------
// Build-in

void TPicturesPanel::ImagesBuildInActionExecute()
{
    if (BuildingIn() || !m_library)
        return;
    if (m_buildInList.isEmpty()) {
        ShowInformation(this, QStringLiteral("No image need to build-in library!"));
        return;
    }
    if (!AskYes(this, QStringLiteral("Do you want to build-in these images? It will take a few minutes."),
                     QMessageBox::Yes | QMessageBox::No))
        return;
    // The list is spent either way: a second build-in has nothing to do
    // until the list is filled again.
    const QStringList paths = std::exchange(m_buildInList, {});
    m_buildInTotal = int(paths.size());
    m_buildInDone = 0;
    m_buildInError.clear();
    m_buildInWatcher = new QFutureWatcher<TBuildInStep>(this);
    connect(m_buildInWatcher, &QFutureWatcherBase::resultsReadyAt, this, &TPicturesPanel::BuildInStepsReady);
    connect(m_buildInWatcher, &QFutureWatcherBase::finished, this, &TPicturesPanel::FinishBuildIn);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    emit Progress(0, m_buildInTotal);
    UpdateImagesActions();
    m_buildInWatcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), MeasurePictures, paths));
}

void TPicturesPanel::BuildInStepsReady(int begin, int end)
{
    if (!m_buildInWatcher)
        return;
    for (int i = begin; i < end && m_buildInError.isEmpty(); ++i) {
        const TBuildInStep step = m_buildInWatcher->resultAt(i);
        if (!step.Error.isEmpty()) {
            // Told once the job is over (it ends at this file).
            m_buildInError = step.Error;
            return;
        }
        if (m_library && !m_library->Find(step.Path)) {
            auto record = std::make_unique<TImageDetail>();
            record->FileName = step.Path;
            record->Added = step.Added;
            record->FileSize = step.FileSize;
            record->Width = step.Width;
            record->Height = step.Height;
            m_library->AddIfAbsent(std::move(record));
        }
        emit Progress(++m_buildInDone, m_buildInTotal);
    }
}

void TPicturesPanel::FinishBuildIn()
{
    if (!m_buildInWatcher)
        return;
    m_buildInWatcher->deleteLater();
    m_buildInWatcher = nullptr;
    QApplication::restoreOverrideCursor();
    emit Progress(0, 0);
    UpdateImagesActions();
    if (!m_buildInError.isEmpty()) {
        // Not from inside the watcher's signal: the message box's own event
        // loop would delete the watcher under it.
        QMetaObject::invokeMethod(
            this, [this, error = std::exchange(m_buildInError, {})] { ShowErrorMessage(this, error); },
            Qt::QueuedConnection);
    }
}

void TPicturesPanel::StopBuildIn(bool report)
{
    if (!m_buildInWatcher)
        return;
    // The job stops before its next picture; what it measures meanwhile is
    // dropped with the watcher.
    m_buildInWatcher->disconnect(this);
    m_buildInWatcher->cancel();
    m_buildInWatcher->deleteLater();
    m_buildInWatcher = nullptr;
    m_buildInError.clear();
    QApplication::restoreOverrideCursor();
    if (report)
        emit Progress(0, 0);
}
