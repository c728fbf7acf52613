#pragma once

#include "images/ui/CollectModel.h"

#include <QDialog>
#include <QMap>

#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeView;
class TCopyThread;
class TImageLibrary;
class TLoadThread;
class TTask;

// "Collect images": the pictures of a task's "Saved" folder, each with its
// width and height from the image library, ticked by format, pixel size and
// file size, and copied into a destination folder on a thread of their own,
// with a progress bar.
//
// Usage: make it with the library (null: no sizes are known), hand it the
// task (or its save folder), show it modally. The list is filled when the
// window is first shown; a loader thread then looks the files up in the
// library. Closing the window (Close, Cancel, Esc, its close box) ends a
// running loader or copy at once, without its finishing message.
class TCopyPicturesForm : public QDialog
{
    Q_OBJECT

public:
    explicit TCopyPicturesForm(TImageLibrary *library, QWidget *parent = nullptr);
    ~TCopyPicturesForm() override;

    // The task whose pictures are collected: its save folder (which ends
    // with a separator).
    void SetTask(const TTask &task);
    void SetTaskFolder(const QString &folder);

    // The loader has looked every file up.
    bool Ready() const { return m_ready; }
    // The copy thread is running.
    bool Copying() const { return m_copyThread != nullptr && m_copying; }
    const QString &DestFolder() const { return m_destFolder; }
    void SetDestFolder(const QString &folder);
    const TCollectModel &Model() const { return *m_model; }

    void ChangeDestButtonClick();
    void LimitImageSizeCheckClick();
    void LimitFileSizeCheckClick();
    void SelectButtonClick();
    void UnselectButtonClick();
    void CopyButtonClick();
    void HelpButtonClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *MakeFolderGroup();
    QWidget *MakeLimitGroup();
    QWidget *MakeFormatGroup();
    QLayout *MakeButtons();
    void FormShow();
    void StartLoader();
    void LoaderFinished();
    void CopyFinished(const QString &problem);
    void ProgressStep(int index, int maximum);
    void SetCommandsEnabled(bool enabled);
    TCollectFilter Filter() const;
    bool RefuseUntilReady();
    void StopThreads();

    TImageLibrary *const m_library;
    QString m_taskFolder;
    QString m_destFolder;
    bool m_ready = false;
    bool m_shown = false;
    bool m_copying = false;

    TCollectModel *m_model;
    QLabel *m_sourceFolderLabel = nullptr;
    QLabel *m_destFolderLabel = nullptr;
    QCheckBox *m_limitImageSizeCheck = nullptr;
    QCheckBox *m_limitFileSizeCheck = nullptr;
    QList<QWidget *> m_imageSizeInputs;
    QList<QWidget *> m_fileSizeInputs;
    QSpinBox *m_widthUpDown = nullptr;
    QSpinBox *m_heightUpDown = nullptr;
    QSpinBox *m_fileSizeUpDown = nullptr;
    QMap<QString, QCheckBox *> m_formatChecks;
    QTreeView *m_imagesListView = nullptr;
    QLabel *m_stateLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_selectButton = nullptr;
    QPushButton *m_unselectButton = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_closeButton = nullptr;

    // Last, so that they are stopped and joined before anything they report
    // to goes.
    std::unique_ptr<TLoadThread> m_loadThread;
    std::unique_ptr<TCopyThread> m_copyThread;
};

// A folder as the collect window's labels show it: whole up to 30
// characters, else its first 30 characters followed by "...".
QString ShortFolderText(const QString &folder);
// The source label: the task folder, "Saved" and a separator, the folder
// shortened to its first 30 characters and "..." plus a separator when
// longer than 30.
QString SourceFolderText(const QString &taskFolder);
