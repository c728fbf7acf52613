#pragma once

#include <QFileInfo>
#include <QString>

#include <functional>

// A file still being downloaded carries "!!wr" in its extension (from the
// last dot of its name): "a.jpg!!wr" is one, "a!!wr" (no dot) is not.
bool IsPartialDownload(const QString &name);

// The entries of a task's pictures folder as the list shows them: every file
// and sub-folder, hidden ones too, in the order the file system enumerates
// them, without "." and ".." and without partial downloads. A folder that
// does not exist gives none. One at a time: a folder of a hundred thousand
// pictures is never held as a list of file infos.
void ForEachPictureFolderEntry(const QString &folder, const std::function<void(const QFileInfo &entry)> &visit);

// The size a row shows for an entry: the file's length; 0 for a folder.
qint64 ListedSize(const QFileInfo &entry);
