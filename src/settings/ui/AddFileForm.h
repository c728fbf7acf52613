#pragma once

#include <QDialog>

class QLineEdit;

// "Add filename": asks for one file name to exclude, taken exactly as typed.
class TAddFileForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAddFileForm(QWidget *parent = nullptr);

    QString FileName() const;

private:
    QLineEdit *m_fileName = nullptr;
};
