#include "images/ui/ViewImageForm.h"

#include "images/ui/ImageScrollBox.h"
#include "images/ui/PicturePane.h"
#include "imaging/ImageServices.h"
#include "widgets/BusyCursor.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

TViewImageForm::TViewImageForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_pane(new TPicturePane(this))
    , m_popupMenu(new QMenu(this))
{
    setObjectName(QStringLiteral("ViewImageForm"));
    setWindowTitle(QStringLiteral("View"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    m_pane->setPalette(black);
    m_pane->setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pane);
    TImageScrollBox *view = m_pane->ScrollBox();
    view->setFrameShape(QFrame::NoFrame);
    view->SetZoomMode(zmFitToPage);
    view->SetCentered(true);
    view->SetScrollBarsVisible(false);
    view->SetBackgroundColor(Qt::black);
    connect(m_pane, &TPicturePane::PictureShown, this, &TViewImageForm::PictureShown);

    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    AddCommand("TurnLeft1", QStringLiteral("Turn Left"), QKeySequence(Qt::CTRL | Qt::Key_I),
               &TViewImageForm::TurnLeft1Click);
    AddCommand("TurnRight1", QStringLiteral("Turn Right"), QKeySequence(Qt::CTRL | Qt::Key_O),
               &TViewImageForm::TurnRight1Click);
    m_popupMenu->addSeparator();
    AddCommand("Zoom1", QStringLiteral("Zoom"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TViewImageForm::Zoom1Click);
    m_popupMenu->addSeparator();
    AddCommand("ZoomIn1", QStringLiteral("Zoom In"), QKeySequence(Qt::CTRL | Qt::Key_J), &TViewImageForm::ZoomIn1Click);
    AddCommand("ZoomOut1", QStringLiteral("Zoom Out"), QKeySequence(Qt::CTRL | Qt::Key_K),
               &TViewImageForm::ZoomOut1Click);
    m_popupMenu->addSeparator();
    AddCommand("Prev1", QStringLiteral("Prev"), QKeySequence(Qt::Key_PageUp), &TViewImageForm::Prev1Click);
    AddCommand("Next1", QStringLiteral("Next"), QKeySequence(Qt::Key_PageDown), &TViewImageForm::Next1Click);
    m_popupMenu->addSeparator();
    QAction *close = AddCommand("CloseMenuItem", QStringLiteral("Close"), QKeySequence(Qt::Key_Escape),
                                &TViewImageForm::CloseMenuItemClick);
    close->setStatusTip(QStringLiteral("Close view form"));
    close->setToolTip(close->statusTip());
    setWindowState(Qt::WindowMaximized);
}

QAction *TViewImageForm::AddCommand(const char *name, const QString &caption, const QKeySequence &key,
                                    void (TViewImageForm::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    // On the window too, so the keys work without the menu open.
    addAction(action);
    m_popupMenu->addAction(action);
    return action;
}

int TViewImageForm::View(const QStringList &paths, int index)
{
    SetCurrentPath(paths.value(index));
    ShowCurrentPath();
    SetPathList(paths);
    SetCurrentIndex(index);
    return exec();
}

void TViewImageForm::ShowCurrentPath()
{
    m_pane->Show(m_currentPath);
}

TImageScrollBox *TViewImageForm::ImageScrollBox() const
{
    return m_pane->ScrollBox();
}

QLabel *TViewImageForm::GifImage() const
{
    return m_pane->GifImage();
}

bool TViewImageForm::Loading() const
{
    return m_pane->Loading();
}

void TViewImageForm::Turn(int angle)
{
    // A large photograph takes a moment to turn.
    const TBusyCursor busy;
    TImageScrollBox *view = m_pane->ScrollBox();
    // The working picture shares the pixels until the view's picture is
    // replaced by the turned one; it is let go at once, so a turn never
    // holds two copies of a large picture for longer than it takes.
    QImage working = view->Picture();
    RotatePicture(working, view->Picture(), angle);
    working = QImage();
    view->Redraw();
}

void TViewImageForm::TurnLeft1Click()
{
    Turn(-90);
}

void TViewImageForm::TurnRight1Click()
{
    Turn(90);
}

void TViewImageForm::Zoom1Click()
{
    TImageScrollBox *view = m_pane->ScrollBox();
    view->SetZoomMode(view->ZoomMode() == zmFitToPage ? zmOriginalSize : zmFitToPage);
}

void TViewImageForm::ZoomIn1Click()
{
    m_zoomPercent += 10;
    m_pane->ScrollBox()->SetZoomPercent(m_zoomPercent);
}

void TViewImageForm::ZoomOut1Click()
{
    if (m_zoomPercent <= 30)
        return;
    m_zoomPercent -= 10;
    m_pane->ScrollBox()->SetZoomPercent(m_zoomPercent);
}

void TViewImageForm::StepTo(int index)
{
    m_currentIndex = index;
    m_currentPath = m_pathList.at(index);
    ShowCurrentPath();
}

void TViewImageForm::Prev1Click()
{
    if (m_currentIndex > 0 && m_currentIndex <= m_pathList.size())
        StepTo(m_currentIndex - 1);
}

void TViewImageForm::Next1Click()
{
    const int next = m_currentIndex + 1;
    if (next >= 0 && next < m_pathList.size())
        StepTo(next);
}

void TViewImageForm::CloseMenuItemClick()
{
    reject();
}

void TViewImageForm::contextMenuEvent(QContextMenuEvent *event)
{
    m_popupMenu->popup(event->globalPos());
    event->accept();
}

void TViewImageForm::showEvent(QShowEvent *event)
{
    // Without a window manager "maximized" means nothing; cover the work
    // area of the screen the window opens on.
    const QScreen *on = parentWidget() ? parentWidget()->screen() : screen();
    if (on)
        setGeometry(on->availableGeometry());
    QDialog::showEvent(event);
}
