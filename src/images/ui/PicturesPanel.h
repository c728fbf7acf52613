#pragma once

#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QSplitter;
class QToolBar;
class QTreeView;
class TImageLibrary;
class TPicturesModel;
class TPicturesView;

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
// Toolbar", the pictures of the selected task and a preview of the current
// one.
class TPicturesPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TPicturesPanel(QWidget *parent = nullptr);

    // What every task's pictures view is.
    TPicturesView *View() const;
    TPicturesModel &Model() const { return *m_model; }

    // Lets the window put its commands on the panel's tool bar.
    void FillToolBar(const std::function<void(QToolBar *bar)> &fill);
    // The commands the panel runs and enables (by its rules for the rows).
    void BindActions(const TPicturesActions &actions);
    // The library pictures are looked up in and built into.
    void SetLibrary(TImageLibrary *library);

    // Lists the pictures of a task's save folder (`folder` is its "Saved"
    // folder) and enables the picture commands for them.
    void ShowFolder(const QString &folder);
    // No task selected: the list is emptied and every picture command
    // disabled.
    void ClearFolder();

signals:
    // The pop-up menu is wanted at `globalPos`.
    void ContextMenuRequested(const QPoint &globalPos);
    // "Copy to ..." / "Move to ..." on the selected pictures (full paths).
    void CopyRequested(const QStringList &files);
    void MoveRequested(const QStringList &files);
    // Progress of a long job (building pictures into the library) for the
    // status bar: `done` of `total`; total 0 when it is over.
    void Progress(int done, int total);

private:
    TPicturesModel *m_model;
    TPicturesActions m_actions;
    TImageLibrary *m_library = nullptr;
    QString m_folder;
    QToolBar *m_toolBar;
    QSplitter *m_splitter;
    QTreeView *m_list;
    QLabel *m_preview;
};
