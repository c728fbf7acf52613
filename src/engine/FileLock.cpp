#include "engine/FileLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ProgramName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("another program") : name;
}

// "PROGRAM (pid N)" from the lock file's text "N PROGRAM".
QString HolderText(int fd)
{
    char buffer[256] = {};
    const ssize_t read = ::pread(fd, buffer, sizeof buffer - 1, 0);
    const QString text = read > 0 ? QString::fromUtf8(buffer, int(read)).trimmed() : QString();
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    bool ok = false;
    const qint64 pid = text.left(space).toLongLong(&ok);
    if (!ok || space < 0)
        return QStringLiteral("another program");
    return QStringLiteral("%1 (pid %2)").arg(text.mid(space + 1)).arg(pid);
}

} // namespace

QString LockFileOf(const QString &file)
{
    return file + QStringLiteral(".lock");
}

TFileLock::TFileLock(const QString &lockFile, bool removeOnUnlock)
    : m_path(lockFile)
    , m_removeOnUnlock(removeOnUnlock)
{
}

TFileLock::~TFileLock()
{
    Unlock();
    if (m_fd >= 0)
        ::close(m_fd);
}

void TFileLock::WriteHolder()
{
    // Of a fixed length, so that a shorter text never leaves the tail of a
    // longer one behind (no truncation needed).
    const QByteArray text = (QByteArray::number(qint64(::getpid())) + ' ' + ProgramName().toUtf8()).leftJustified(kHolderBytes - 1, ' ', true) + '\n';
    [[maybe_unused]] const ssize_t written = ::pwrite(m_fd, text.constData(), size_t(text.size()), 0);
}

TFileLock::TTry TFileLock::TryOnce(QString *holder)
{
    const QByteArray path = QFile::encodeName(m_path);
    // A lock file kept open from an earlier lock (one that is never deleted)
    // is locked again as it is.
    if (m_fd >= 0) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder written when it was opened still names us well
            // enough: this lock is taken and given back many times a second.
            m_locked = true;
            return TTry::Taken;
        }
        const int error = errno;
        if (holder)
            *holder = error == EWOULDBLOCK ? HolderText(m_fd)
                                           : QStringLiteral("cannot lock %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
        return error == EWOULDBLOCK ? TTry::Busy : TTry::Failed;
    }
    // A lock file that its holder deletes when done may go between our open
    // and our lock: the lock then sits on a file nobody else sees, and we
    // open the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (holder)
                *holder = QStringLiteral("cannot open the lock file %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
            return TTry::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (holder)
                *holder = error == EWOULDBLOCK ? HolderText(fd)
                                               : QStringLiteral("cannot lock %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
            if (error == EWOULDBLOCK && !m_removeOnUnlock)
                m_fd = fd; // for the next try
            else
                ::close(fd);
            return error == EWOULDBLOCK ? TTry::Busy : TTry::Failed;
        }
        struct stat opened;
        struct stat named;
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino &&
            opened.st_dev == named.st_dev) {
            m_fd = fd;
            m_locked = true;
            WriteHolder();
            return TTry::Taken;
        }
        ::close(fd);
    }
    if (holder)
        *holder = QStringLiteral("cannot lock %1").arg(m_path);
    return TTry::Failed;
}

TFileLock::TTry TFileLock::Try(QString *holder)
{
    if (m_locked)
        return TTry::Taken;
    return TryOnce(holder);
}

bool TFileLock::Lock(int timeoutMs, QString *holder)
{
    if (m_locked)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        QString reason;
        switch (TryOnce(&reason)) {
        case TTry::Taken:
            return true;
        case TTry::Failed:
            if (holder)
                *holder = reason;
            return false;
        case TTry::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            if (holder)
                *holder = QStringLiteral("it is locked by %1").arg(reason);
            return false;
        }
        QThread::msleep(5);
    }
}

void TFileLock::Unlock()
{
    if (!m_locked)
        return;
    m_locked = false;
    if (!m_removeOnUnlock) {
        // Kept open: a lock taken often (the library's, once per line of its
        // journal) costs two system calls.
        ::flock(m_fd, LOCK_UN);
        return;
    }
    // Deleted while still held, so nobody takes a lock on a file that is
    // about to go.
    ::unlink(QFile::encodeName(m_path).constData());
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
