#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QSpinBox;

// "Delete by ...": which rule picks the pictures to delete, with its
// limits. Choosing a rule enables its own inputs and disables the others'.
class TDeleteByForm : public QDialog
{
    Q_OBJECT

public:
    enum TRule { ImageSizeRule, FileSizeRule, FileFilterRule };

    explicit TDeleteByForm(QWidget *parent = nullptr);

    TRule Rule() const;
    int WidthLimit() const;
    int HeightLimit() const;
    // The "KB" limit as typed (a text that is no number counts as 0).
    QString SizeText() const;
    QString Filter() const;

private:
    void UpdateInputs();

    QRadioButton *m_imageSizeButton;
    QRadioButton *m_fileSizeButton;
    QRadioButton *m_fileFilterButton;
    QSpinBox *m_widthEdit;
    QSpinBox *m_heightEdit;
    QLineEdit *m_sizeEdit;
    QLineEdit *m_filterEdit;
};
