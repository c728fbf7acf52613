#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

// The 15-second countdown offered after the last running task has ended by
// itself. Closes with Accepted (shut down) after 15 ticks of its 1000 ms
// timer, or with Rejected when "&Cancel" is pressed.
class TShutdownForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSeconds = 15;

    explicit TShutdownForm(QWidget *parent = nullptr);

    qint32 ElapsedSeconds = 0;

    QLabel *ShutLabel() const { return m_shutLabel; }
    QProgressBar *ProgressBar() const { return m_progressBar; }
    QTimer *Timer() const { return m_timer; }

    // One tick of the countdown timer.
    void TimerTimer();

private:
    QLabel *m_shutLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QTimer *m_timer = nullptr;
};
