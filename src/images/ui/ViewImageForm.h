#pragma once

#include <QDialog>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;
class TImageScrollBox;
class TPicturePane;

// The full-screen viewer: one picture of a list on black, with a pop-up menu
// (also on the keyboard) to turn it a quarter turn either way, zoom, and
// step to the previous or next picture of the list. The list does not wrap
// around. Turning changes only the picture on screen, never the file.
//
// Both callers open it the same way: SetCurrentPath, ShowCurrentPath,
// SetPathList, SetCurrentIndex, then exec(); View() does all of it.
class TViewImageForm : public QDialog
{
    Q_OBJECT

public:
    explicit TViewImageForm(QWidget *parent = nullptr);

    // Shows paths[index] and runs the viewer modally.
    int View(const QStringList &paths, int index);

    const QString &CurrentPath() const { return m_currentPath; }
    void SetCurrentPath(const QString &path) { m_currentPath = path; }
    // Starts showing the current path by the GIF rule; the picture arrives
    // once decoded (PictureShown).
    void ShowCurrentPath();
    const QStringList &PathList() const { return m_pathList; }
    void SetPathList(const QStringList &paths) { m_pathList = paths; }
    int CurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int index) { m_currentIndex = index; }
    // The percentage Zoom In and Zoom Out step from; the view's own zoom is
    // not read back into it.
    int ZoomPercent() const { return m_zoomPercent; }

    TImageScrollBox *ImageScrollBox() const;
    QLabel *GifImage() const;
    QMenu *PopupMenu() const { return m_popupMenu; }
    bool Loading() const;

    // The commands of the pop-up menu.
    void TurnLeft1Click();
    void TurnRight1Click();
    void Zoom1Click();
    void ZoomIn1Click();
    void ZoomOut1Click();
    void Prev1Click();
    void Next1Click();
    void CloseMenuItemClick();

signals:
    // A picture asked for arrived (`decoded`) or could not be decoded.
    void PictureShown(const QString &path, bool decoded);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QAction *AddCommand(const char *name, const QString &caption, const QKeySequence &key,
                        void (TViewImageForm::*handler)());
    void Turn(int angle);
    void StepTo(int index);

    TPicturePane *m_pane;
    QMenu *m_popupMenu;
    QString m_currentPath;
    QStringList m_pathList;
    int m_currentIndex = -1;
    int m_zoomPercent = 100;
};
