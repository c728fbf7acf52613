#include "session/DueRuns.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// An exclusive lock on a file beside the list, held for one read or
// read-change-write; the kernel lets go of it when a program dies.
class TFileLock
{
public:
    explicit TFileLock(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~TFileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

private:
    int m_fd = -1;
};

QHash<QString, std::int64_t> ReadSlots(const QString &fileName)
{
    QHash<QString, std::int64_t> recorded;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return recorded;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const std::int64_t slot = line.left(tab).toLongLong(&ok);
        if (ok)
            recorded.insert(QString::fromUtf8(line.mid(tab + 1)), slot);
    }
    return recorded;
}

} // namespace

TDueRuns::TDueRuns(const QString &fileName)
    : m_fileName(fileName)
{
}

std::optional<std::int64_t> TDueRuns::LastSlot(const QString &taskPath) const
{
    TFileLock lock(m_fileName + QStringLiteral(".lock"));
    const QHash<QString, std::int64_t> recorded = ReadSlots(m_fileName);
    const auto found = recorded.constFind(taskPath);
    if (found == recorded.constEnd())
        return std::nullopt;
    return *found;
}

void TDueRuns::Record(const QString &taskPath, std::int64_t slot)
{
    TFileLock lock(m_fileName + QStringLiteral(".lock"));
    QHash<QString, std::int64_t> recorded = ReadSlots(m_fileName);
    recorded.insert(taskPath, slot);
    QByteArray text;
    for (auto it = recorded.constBegin(); it != recorded.constEnd(); ++it)
        text += QByteArray::number(qlonglong(it.value())) + '\t' + it.key().toUtf8() + '\n';
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\". %2").arg(m_fileName, file.errorString()));
}

QString DueRunsFileName(const QString &home)
{
    return AddBackslash(home) + QStringLiteral("due-runs.txt");
}
