#pragma once

#include <QDialog>
#include <QStringList>

class QTreeWidget;

// "Confirm images delete action": the pictures a rule picked, one checked
// row per file. OK deletes the file of every row still checked and closes;
// Cancel deletes nothing.
class TConfirmDeleteForm : public QDialog
{
    Q_OBJECT

public:
    explicit TConfirmDeleteForm(const QStringList &files, QWidget *parent = nullptr);

    // The files the dialog deleted (gone from the disk), in list order.
    const QStringList &DeletedFiles() const { return m_deleted; }

    void OkButtonClick();

private:
    QTreeWidget *m_filesListView;
    QStringList m_deleted;
};

// Deletes a file; true when it is gone afterwards. A folder is not deleted.
bool DeletePictureFile(const QString &path);
