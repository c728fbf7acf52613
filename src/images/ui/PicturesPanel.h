#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QSplitter;
class QToolBar;
class QTreeView;
class TPicturesModel;
class TPicturesView;

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

signals:
    // The pop-up menu is wanted at `globalPos`.
    void ContextMenuRequested(const QPoint &globalPos);

private:
    TPicturesModel *m_model;
    QToolBar *m_toolBar;
    QSplitter *m_splitter;
    QTreeView *m_list;
    QLabel *m_preview;
};
