#include "app/LoadingForm.h"

#include "widgets/AppResources.h"
#include "widgets/FormPlacement.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

TLoadingForm::TLoadingForm(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    InitAppResources();
    setObjectName(QStringLiteral("LoadingForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image"));
    m_picture->setFixedSize(400, 300);
    m_picture->setPixmap(ResourcePixmap(QStringLiteral(":/pictures/splash.svg"), QSize(400, 300)));
    layout->addWidget(m_picture);
    setFixedSize(400, 300);
    CenterOnScreen(this);

    // The timer counts from creation; it can only fire once the message loop
    // runs, which is what keeps the splash up during the main window's start.
    m_timer = new QTimer(this);
    m_timer->setInterval(2000);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TLoadingForm::TimerTimer);
    m_timer->start();
}

void TLoadingForm::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        close();
}

void TLoadingForm::TimerTimer()
{
    close();
}
