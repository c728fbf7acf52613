#include "images/ui/PictureFolder.h"

#include "engine/TaskViews.h"

#include <QDirIterator>

bool IsPartialDownload(const QString &name)
{
    return FileNameExtension(name).contains(QLatin1String("!!wr"));
}

void ForEachPictureFolderEntry(const QString &folder, const std::function<void(const QFileInfo &entry)> &visit)
{
    if (folder.isEmpty())
        return;
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (!IsPartialDownload(entry.fileName()))
            visit(entry);
    }
}

qint64 ListedSize(const QFileInfo &entry)
{
    return entry.isDir() ? 0 : entry.size();
}
