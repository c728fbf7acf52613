#include "widgets/FolderPicker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

bool BrowseForFolder(const QString &title, const QString &root, QString &folder)
{
    if (!QFileInfo(folder).isDir())
        folder.clear();

    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setObjectName(QStringLiteral("FolderPicker"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    else if (!root.isEmpty())
        dialog.setDirectory(root);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    folder = QDir::cleanPath(chosen.first());
    return true;
}
