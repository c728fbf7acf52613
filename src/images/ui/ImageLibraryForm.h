#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;
class QTreeView;
class TImageLibrary;
class TImageLibraryModel;
class TLoadImageThread;
class TPicturePreview;

// "Library": every record of the image library with a preview; deletes
// picture files, views them full-screen, turns the preview, removes the
// records whose files are gone (Verify) and empties the library (Clear).
//
// The list is filled by TLoadImageThread once the window is shown, so that a
// library of any size opens at once; Verify and Clear wait until it is full.
// Previews are decoded off the UI thread. Closing the window while the list
// fills ends the loader at once.
class TImageLibraryForm : public QDialog
{
    Q_OBJECT

public:
    // The full-screen viewer: `paths` every row's file in list order,
    // `index` the row to start at.
    using TViewer = std::function<void(QWidget *parent, const QStringList &paths, int index)>;

    // `library` must outlive the window.
    explicit TImageLibraryForm(TImageLibrary &library, QWidget *parent = nullptr);
    ~TImageLibraryForm() override;

    // What View (Enter, a double click) opens; nothing happens without one.
    void SetViewer(TViewer viewer) { m_viewer = std::move(viewer); }

    // The loader is filling the list.
    bool Loading() const { return m_loading; }
    const TImageLibraryModel &Model() const { return *m_model; }

    void VerifyButtonClick();
    void DeleteButtonClick();
    void ViewButtonClick();
    void ClearButtonClick();
    void TurnLeftActionExecute();
    void TurnRightActionExecute();
    void HelpButtonClick();
    void ImageLibListViewChange();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    void MakeActions();
    QWidget *MakeToolBar();
    QStatusBar *MakeStatusBar();
    void FormShow();
    void LoadingBegins(int count);
    void LoadingEnds();
    void StopLoader();
    // The row the preview and View follow: the current row when selected,
    // else the first selected one; -1 when none is.
    int SelectedRow() const;
    std::vector<int> SelectedRows() const;
    void Turn(int angle);
    void ShowTotal();
    bool AskLoadAllImages(int count);

    TImageLibrary &m_library;
    TViewer m_viewer;
    bool m_loading = false;
    bool m_shown = false;
    QImage m_workingPicture;
    QString m_previewPath;

    TImageLibraryModel *m_model;
    QTreeView *m_imageLibListView = nullptr;
    TPicturePreview *m_preview = nullptr;
    QAction *m_verifyAction = nullptr;
    QAction *m_deleteAction = nullptr;
    QAction *m_viewAction = nullptr;
    QAction *m_clearAction = nullptr;
    QAction *m_turnLeftAction = nullptr;
    QAction *m_turnRightAction = nullptr;
    QAction *m_helpAction = nullptr;
    QLabel *m_totalPanel = nullptr;
    QLabel *m_loadingPanel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_hintPanel = nullptr;

    // Last, so that it is stopped and joined before what it reports to goes.
    std::unique_ptr<TLoadImageThread> m_loader;
};

// The question asked before every image of a file of `count` images is
// loaded, as the program words it.
QString LoadAllImagesQuestion(int count);
