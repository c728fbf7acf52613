#include "session/DueRuns.h"

#include "engine/Errors.h"
#include "engine/FileLock.h"
#include "engine/FileNames.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

namespace {

// Held only for one read or one read-change-write; a program stopped while
// holding it must not hang the desktop program's timer.
constexpr int kLockWaitMs = 2000;

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
    // Read without the lock when it does not come: the file is replaced
    // whole, never seen half-written.
    TFileLock lock(LockFileOf(m_fileName));
    lock.Lock(kLockWaitMs);
    const QHash<QString, std::int64_t> recorded = ReadSlots(m_fileName);
    const auto found = recorded.constFind(taskPath);
    if (found == recorded.constEnd())
        return std::nullopt;
    return *found;
}

void TDueRuns::Record(const QString &taskPath, std::int64_t slot)
{
    TFileLock lock(LockFileOf(m_fileName));
    QString why;
    if (!lock.Lock(kLockWaitMs, &why))
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\": %2").arg(m_fileName, why));
    WriteSlot(taskPath, slot);
}

bool TDueRuns::Claim(const QString &taskPath, std::int64_t slot)
{
    TFileLock lock(LockFileOf(m_fileName));
    QString why;
    if (!lock.Lock(kLockWaitMs, &why))
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\": %2").arg(m_fileName, why));
    const QHash<QString, std::int64_t> recorded = ReadSlots(m_fileName);
    const auto found = recorded.constFind(taskPath);
    if (found != recorded.constEnd() && *found >= slot)
        return false;
    WriteSlot(taskPath, slot);
    return true;
}

void TDueRuns::WriteSlot(const QString &taskPath, std::int64_t slot)
{
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
