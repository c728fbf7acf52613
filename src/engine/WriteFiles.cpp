#include "engine/WriteFiles.h"

#include <QSet>

#include <mutex>

namespace {

// Never destroyed: a stopped worker may still give its claim back while the
// process exits.
struct TOpenFiles {
    std::mutex lock;
    QSet<QString> paths;
};

TOpenFiles &OpenFiles()
{
    static TOpenFiles *const files = new TOpenFiles;
    return *files;
}

} // namespace

bool ClaimWriteFile(const QString &path)
{
    TOpenFiles &files = OpenFiles();
    std::lock_guard<std::mutex> guard(files.lock);
    if (files.paths.contains(path))
        return false;
    files.paths.insert(path);
    return true;
}

void ReleaseWriteFile(const QString &path)
{
    TOpenFiles &files = OpenFiles();
    std::lock_guard<std::mutex> guard(files.lock);
    files.paths.remove(path);
}
