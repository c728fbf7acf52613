#include "engine/WriteFiles.h"

#include <QSet>

#include <mutex>

namespace {

std::mutex g_lock;

QSet<QString> &OpenFiles()
{
    static QSet<QString> files;
    return files;
}

} // namespace

bool ClaimWriteFile(const QString &path)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (OpenFiles().contains(path))
        return false;
    OpenFiles().insert(path);
    return true;
}

void ReleaseWriteFile(const QString &path)
{
    std::lock_guard<std::mutex> guard(g_lock);
    OpenFiles().remove(path);
}
