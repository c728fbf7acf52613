#pragma once

#include <QWidget>

class QLabel;

// The wait window: no border, centred, the fixed text "Please wait ..." and
// MessageLabel naming the operation in progress. Shown, not modal, while the
// main thread is busy (ShowWaitMessage of the main window).
class TWaitForm : public QWidget
{
    Q_OBJECT

public:
    explicit TWaitForm(QWidget *parent = nullptr);

    void ShowMessage(const QString &text);
    QString Message() const;

private:
    QLabel *m_messageLabel = nullptr;
};

// The wait window of the running program, made hidden at start-up; null
// before that (and in programs that have none).
extern TWaitForm *WaitForm;
