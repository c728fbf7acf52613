#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPlainTextEdit;

// "Tip of the Day": shows one of eight tips; "&Next tip" walks on, wrapping
// after the last one.
class TTipForm : public QDialog
{
    Q_OBJECT

public:
    explicit TTipForm(QWidget *parent = nullptr);

    QStringList Tips;
    qint32 CurrentTip = 0;

    // Shows the tip of `index`, or tip 0 when the index is not a valid one.
    void ShowTipAt(int index);
    void NextTipButtonClick();

    QCheckBox *ShowTipCheckBox() const { return m_showTipCheckBox; }
    QPlainTextEdit *TipMemo() const { return m_tipMemo; }

private:
    QPlainTextEdit *m_tipMemo = nullptr;
    QCheckBox *m_showTipCheckBox = nullptr;
};

// The eight tips, index 0 first.
QStringList TipTexts();
