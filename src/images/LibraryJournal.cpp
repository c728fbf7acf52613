#include "images/LibraryJournal.h"

#include "engine/TaskJournal.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxLineBytes = 64 * 1024;

QByteArray PendingLine(const TLibraryJournal::TPending &pending)
{
    return "P " + QByteArray::number(pending.Added, 'g', 17) + ' ' + TTaskJournal::EscapeText(pending.Path) + '\n';
}

// The fields of a line after its letter, split at single spaces; the last
// field (the path) takes the rest of the line.
QList<QByteArrayView> Fields(QByteArrayView text, int count)
{
    QList<QByteArrayView> fields;
    for (int i = 0; i + 1 < count; ++i) {
        const qsizetype space = text.indexOf(' ');
        if (space < 0)
            return {};
        fields << text.first(space);
        text = text.sliced(space + 1);
    }
    fields << text;
    return fields;
}

} // namespace

TLibraryJournal::TLibraryJournal(const QString &libraryFile)
    : m_libraryFile(libraryFile)
    , m_path(PathOf(libraryFile))
    , m_lock(LockPathOf(libraryFile))
{
}

QString TLibraryJournal::PathOf(const QString &libraryFile)
{
    return libraryFile + QStringLiteral(".journal");
}

QString TLibraryJournal::LockPathOf(const QString &libraryFile)
{
    return LockFileOf(libraryFile);
}

bool TLibraryJournal::AppendPending(const QString &path, double added)
{
    return Append(PendingLine(TPending{added, path}));
}

bool TLibraryJournal::AppendRecord(const TImageDetail &record)
{
    return Append("R " + QByteArray::number(record.Added, 'g', 17) + ' ' + QByteArray::number(record.FileSize) + ' '
                  + QByteArray::number(record.Height) + ' ' + QByteArray::number(record.Width) + ' '
                  + TTaskJournal::EscapeText(record.FileName) + '\n');
}

TLibraryJournal::~TLibraryJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TLibraryJournal::Append(const QByteArray &line)
{
    std::lock_guard<std::mutex> guard(m_appendLock);
    if (!m_lock.Lock(kLockWaitMs))
        return false;
    // The file stays open between lines; a program that folded the journal
    // into the library meanwhile has replaced or deleted it, and the line
    // then goes into the journal that is there now.
    const QByteArray path = QFile::encodeName(m_path);
    struct stat named;
    if (m_fd >= 0 && (::stat(path.constData(), &named) != 0 || named.st_ino != m_inode || named.st_dev != m_device)) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0) {
        m_fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        struct stat opened;
        if (m_fd >= 0 && ::fstat(m_fd, &opened) == 0) {
            m_inode = opened.st_ino;
            m_device = opened.st_dev;
        }
    }
    const bool written = m_fd >= 0 && TTaskJournal::WriteAll(m_fd, line);
    m_lock.Unlock();
    return written;
}

void TLibraryJournal::ForEachLine(const std::function<void(std::unique_ptr<TImageDetail>)> &onRecord,
                                  const std::function<void(TPending)> &onPending) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(kMaxLineBytes);
        if (!line.endsWith('\n'))
            break; // torn by a crash
        const QByteArrayView text = QByteArrayView(line).chopped(1);
        if (text.size() < 3 || text[1] != ' ')
            continue;
        const QByteArrayView rest = text.sliced(2);
        if (text[0] == 'P') {
            const QList<QByteArrayView> fields = Fields(rest, 2);
            if (fields.size() != 2)
                continue;
            bool ok = false;
            TPending pending{fields[0].toDouble(&ok), TTaskJournal::UnescapeText(fields[1])};
            if (ok && !pending.Path.isEmpty())
                onPending(std::move(pending));
        } else if (text[0] == 'R') {
            const QList<QByteArrayView> fields = Fields(rest, 5);
            if (fields.size() != 5)
                continue;
            auto record = std::make_unique<TImageDetail>();
            bool each[4] = {};
            record->Added = fields[0].toDouble(&each[0]);
            record->FileSize = fields[1].toInt(&each[1]);
            record->Height = fields[2].toInt(&each[2]);
            record->Width = fields[3].toInt(&each[3]);
            record->FileName = TTaskJournal::UnescapeText(fields[4]);
            if (each[0] && each[1] && each[2] && each[3] && !record->FileName.isEmpty())
                onRecord(std::move(record));
        }
    }
}

TLibraryJournal::TContent TLibraryJournal::Read() const
{
    TContent content;
    ForEachLine([&](std::unique_ptr<TImageDetail> record) { content.Records.push_back(std::move(record)); },
                [&](TPending pending) { content.Pending.push_back(std::move(pending)); });
    return content;
}

bool TLibraryJournal::Rewrite(const std::vector<TPending> &pending) const
{
    if (pending.empty()) {
        return ::unlink(QFile::encodeName(m_path).constData()) == 0 || errno == ENOENT;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const TPending &line : pending)
        file.write(PendingLine(line));
    return file.commit();
}
