#pragma once

#include <QDialog>

class QLineEdit;

// "Add image extend name": asks for one extension; the target folder is
// always "Saved". Nothing is checked: the text is taken exactly as typed.
class TAddFileMaskForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAddFileMaskForm(QWidget *parent = nullptr);

    QString Extension() const;
    QString Folder() const;

private:
    QLineEdit *m_extension = nullptr;
    QLineEdit *m_folder = nullptr;
};
