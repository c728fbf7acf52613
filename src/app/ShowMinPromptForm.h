#pragma once

#include <QDialog>

class QCheckBox;

// The prompt shown when the main window closes into the tray.
class TShowMinPromptForm : public QDialog
{
    Q_OBJECT

public:
    explicit TShowMinPromptForm(QWidget *parent = nullptr);

    QCheckBox *ShowNextCheck() const { return m_showNextCheck; }

    void reject() override;

private:
    QCheckBox *m_showNextCheck = nullptr;
};
