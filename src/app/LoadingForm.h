#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The splash window: no border, always on top, centred, one 400 x 300
// picture. It closes itself at the first tick of its 2000 ms timer or when its
// picture is clicked, whichever comes first, and frees itself when it closes.
class TLoadingForm : public QWidget
{
    Q_OBJECT

public:
    explicit TLoadingForm(QWidget *parent = nullptr);

    QTimer *Timer() const { return m_timer; }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void TimerTimer();

    QLabel *m_picture = nullptr;
    QTimer *m_timer = nullptr;
};
