#include "images/ui/PictureFolder.h"

#include "engine/TaskViews.h"

#include <QDir>

bool IsPartialDownload(const QString &name)
{
    return FileNameExtension(name).contains(QLatin1String("!!wr"));
}

QFileInfoList PictureFolderEntries(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    entries.removeIf([](const QFileInfo &entry) { return IsPartialDownload(entry.fileName()); });
    return entries;
}

qint64 ListedSize(const QFileInfo &entry)
{
    return entry.isDir() ? 0 : entry.size();
}
