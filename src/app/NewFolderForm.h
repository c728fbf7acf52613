#pragma once

#include <QDialog>

class QLineEdit;

// "New folder": asks for the name of a folder to make in the task tree.
class TNewFolderForm : public QDialog
{
    Q_OBJECT

public:
    explicit TNewFolderForm(QWidget *parent = nullptr);

    // The name as typed: not trimmed, not checked.
    QString FolderName() const;

private:
    QLineEdit *m_folderEdit;
};
