#include "app/ShutdownForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString CountdownText(int secondsLeft)
{
    return QStringLiteral("Auto shutdown computer in %1 second(s)").arg(secondsLeft);
}

} // namespace

TShutdownForm::TShutdownForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ShutdownForm"));
    setWindowTitle(QStringLiteral("Shutdown computer"));

    m_shutLabel = new QLabel(CountdownText(kSeconds), this);
    m_shutLabel->setObjectName(QStringLiteral("ShutLabel"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, kSeconds);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_shutLabel);
    layout->addWidget(m_progressBar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TShutdownForm::TimerTimer);
    m_timer->start();
}

void TShutdownForm::TimerTimer()
{
    ++ElapsedSeconds;
    m_progressBar->setValue(ElapsedSeconds);
    m_shutLabel->setText(CountdownText(kSeconds - ElapsedSeconds));
    if (ElapsedSeconds >= kSeconds) {
        m_timer->stop();
        accept();
    }
}
