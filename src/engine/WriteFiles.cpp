#include "engine/WriteFiles.h"

#include "engine/FileNames.h"

#include <QFile>
#include <QSet>

#include <mutex>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Never destroyed: a stopped worker may still give its claim back while the
// process exits.
struct TOpenFiles {
    std::mutex lock;
    QSet<QString> paths;
    QString limitFolder;
    int limit = 255;
};

TOpenFiles &OpenFiles()
{
    static TOpenFiles *const files = new TOpenFiles;
    return *files;
}

bool Exists(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
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

QString ClaimUniqueFileName(const QString &path, int reserve)
{
    // Room for "[n]" when the shortened name turns out to be taken.
    constexpr int kCounterRoom = 16;
    TOpenFiles &files = OpenFiles();
    std::lock_guard<std::mutex> guard(files.lock);
    // Pictures of a crawl go to a few folders: their limit is asked once.
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (folder != files.limitFolder) {
        files.limitFolder = folder;
        files.limit = MaxFileNameBytes(folder);
    }
    const int maxBytes = files.limit;
    const QString fitted = FitFileName(path, reserve, maxBytes);
    const auto taken = [&files](const QString &candidate) {
        return files.paths.contains(candidate) || Exists(candidate) || Exists(candidate + QStringLiteral("!!wr"));
    };
    QString name = UniqueFileName(fitted, taken);
    if (name != fitted && QFile::encodeName(name.mid(name.lastIndexOf(QLatin1Char('/')) + 1)).size() + reserve > maxBytes)
        name = UniqueFileName(FitFileName(fitted, reserve + kCounterRoom, maxBytes), taken);
    files.paths.insert(name);
    return name;
}

namespace {

bool Hold(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

bool HoldOpenFile(int fd, const QString &path)
{
    // A file system without locks still gets its pictures; only a holder
    // that is there refuses the file.
    if (!Hold(fd) && errno == EWOULDBLOCK)
        return false;
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool RemoveUnheldFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool removed = Hold(fd) && ::unlink(name.constData()) == 0;
    ::close(fd);
    return removed;
}
