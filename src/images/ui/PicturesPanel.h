#pragma once

#include "images/ui/ExtensionIcons.h"

#include <QPersistentModelIndex>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QToolBar;
class QSplitter;
class QTreeView;
class TImageLibrary;
class TPicturePane;
class TPicturesModel;
class TPicturesSortProxy;
class TPicturesView;
struct TBuildInStep;
template <typename T> class QFutureWatcher;

// The window's commands that act on the pictures; the panel runs them.
struct TPicturesActions {
    QAction *CopyTo = nullptr;
    QAction *MoveTo = nullptr;
    QAction *Delete = nullptr;
    QAction *DeleteAll = nullptr;
    QAction *DeleteBy = nullptr;
    QAction *SetWallpaper = nullptr;
    QAction *OpenFolder = nullptr;
    QAction *Fit = nullptr;
    QAction *Unsort = nullptr;
    QAction *SortByName = nullptr;
    QAction *SortByType = nullptr;
    QAction *SortBySize = nullptr;
    QAction *BuildIn = nullptr;
};

// The downloaded-pictures panel under the files list: its own "Image
// Toolbar", the pictures of the selected task ("Name", "Ext", "Size") and a
// preview of the selected one, decoded off the user-interface thread.
//
// The panel runs the window's picture commands: deleting (selected, all, by
// rule), the four orders and the header clicks, the preview's fit, opening
// the folder, building the pictures into the library, setting the wallpaper,
// and the full-screen viewer (double click or Enter on a row). "Copy to"
// and "Move to" are asked for with the selected files; whoever copies or
// moves them calls RemoveFileRows for the files that moved.
class TPicturesPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TPicturesPanel(QWidget *parent = nullptr);
    ~TPicturesPanel() override;

    // What every task's pictures view is.
    TPicturesView *View() const;
    TPicturesModel &Model() const { return *m_model; }
    TPicturesSortProxy &SortProxy() const { return *m_proxy; }
    const TExtensionIcons &ExtensionIcons() const { return m_icons; }

    // Lets the window put its commands on the panel's tool bar.
    void FillToolBar(const std::function<void(QToolBar *bar)> &fill);
    // The commands the panel runs and enables (by its rules for the rows).
    // The order in force and the fit of the preview are read from the
    // commands' check states, now and whenever they change.
    void BindActions(const TPicturesActions &actions);
    // The library pictures are looked up in and built into. A build-in under
    // way is stopped first; set none before the library goes away.
    void SetLibrary(TImageLibrary *library);

    // Lists the pictures of a task's save folder (`folder` is its "Saved"
    // folder), ordered by the order in force, shows the panel and enables
    // the picture commands for them.
    void ShowFolder(const QString &folder);
    // No task selected: the list is emptied, every picture command disabled
    // and the panel hidden.
    void ClearFolder();
    // The folder listed; empty when no task is selected.
    const QString &Folder() const { return m_folder; }

    // Rebuilds the rows from `folder` (without sorting them again).
    void FillImagesList(const QString &folder);
    // Enables the picture commands by the rows and the selection.
    void UpdateImagesActions();
    // Listed files the library did not know when the list was filled.
    const QStringList &BuildInList() const { return m_buildInList; }
    // Whether "Build-in" is under way.
    bool BuildingIn() const { return m_buildInWatcher != nullptr; }

    // Full paths, in the list's order: every row, the selected rows, and the
    // selected row the preview shows (empty when none).
    QStringList ListedFiles() const;
    QStringList SelectedFiles() const;
    QString SelectedFile() const;
    // Removes the rows of these full paths (exact), for files that were
    // moved or deleted elsewhere; they no longer wait for "Build-in".
    void RemoveFileRows(const QStringList &files);

    // The command handlers.
    void ImagesDeleteActionExecute();
    void ImagesDeleteAllActionExecute();
    void ImagesDeleteByActionExecute();
    void ImagesFitActionExecute(bool fit);
    void ImagesOpenFolderActionExecute();
    void ImagesBuildInActionExecute();
    void ImagesSetWallpaperActionExecute();
    void ImagesListViewColumnClick(int column);
    // Opens the full-screen viewer on the selected row, with every row in
    // list order to step through.
    void ImagesListViewDblClick();

signals:
    // The pop-up menu is wanted at `globalPos`.
    void ContextMenuRequested(const QPoint &globalPos);
    // "Copy to ..." / "Move to ..." on the selected pictures (full paths).
    void CopyRequested(const QStringList &files);
    void MoveRequested(const QStringList &files);
    // Progress of a long job (building pictures into the library) for the
    // status bar: `done` of `total`; total 0 when it is over.
    void Progress(int done, int total);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectActions();
    void ImagesListViewChange();
    // The selected row the preview follows: the current row when selected,
    // else the first selected one (a list row), or -1.
    int SelectedListRow() const;
    std::vector<int> SelectedSourceRows() const;
    void RemoveDeletedRows(const std::vector<int> &sourceRows);
    void ForgetRows(const std::vector<int> &sourceRows);
    void SortByAction(QAction *action);
    void StopBuildIn(bool report);
    void BuildInStepsReady(int begin, int end);
    void FinishBuildIn();
    QImage WallpaperPicture(const QString &path);

    TPicturesModel *m_model;
    TPicturesSortProxy *m_proxy;
    TExtensionIcons m_icons;
    TPicturesActions m_actions;
    TImageLibrary *m_library = nullptr;
    QString m_folder;
    bool m_folderCleared = false;
    QStringList m_buildInList;
    QToolBar *m_toolBar;
    QSplitter *m_splitter;
    QTreeView *m_list;
    TPicturePane *m_preview;
    QPersistentModelIndex m_shownRow;
    QFutureWatcher<TBuildInStep> *m_buildInWatcher = nullptr;
    int m_buildInTotal = 0;
    int m_buildInDone = 0;
    QString m_buildInError;
};
