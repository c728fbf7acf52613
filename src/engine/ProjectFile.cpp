// Reading and writing a task's project file.
#include "engine/Task.h"

#include "engine/Errors.h"
#include "engine/ItemLines.h"
#include "engine/TaskItem.h"
#include "engine/TaskJournal.h"
#include "engine/TextSlot.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

// Offsets of the header.
constexpr qsizetype kMagicAt = 0;
constexpr qsizetype kVersionAt = 5;
constexpr qsizetype kNameAt = 11;
constexpr qsizetype kNoteAt = 1035;
constexpr qsizetype kUrlAt = 2059;
constexpr qsizetype kIdAt = 3083;
constexpr qsizetype kStoppedAt = 5132;
constexpr qsizetype kSlot = 1024;

QString StreamName(const QIODevice &stream)
{
    const auto *file = qobject_cast<const QFileDevice *>(&stream);
    return file && !file->fileName().isEmpty() ? file->fileName() : QStringLiteral("the project data");
}

} // namespace

QString TTask::ReadProjectName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    QByteArray header = file.read(kHeaderSize);
    header.append(kHeaderSize - header.size(), '\0');
    return ReadTextSlot(header.constData() + kNameAt, kSlot);
}

TRegOptions TTask::ReadProjectOptions(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray head = file.read(kItemsOffset);
    if (head.size() < kItemsOffset)
        throw EZavelonError(QStringLiteral("%1 is not a project file: it has %2 bytes, a project file has at least %3")
                                .arg(path).arg(head.size()).arg(kItemsOffset));
    TRegOptions options;
    options.FromBlock(QByteArrayView(head).sliced(kHeaderSize));
    return options;
}

void TTask::SaveToStream(QIODevice &stream) const
{
    QByteArray header(kHeaderSize, '\0');
    char *bytes = header.data();
    std::memcpy(bytes + kMagicAt, "Dovek", 5);
    std::memcpy(bytes + kVersionAt, "QVN", 4); // with its NUL
    WriteTextSlot(bytes + kNameAt, kSlot, m_name);
    WriteTextSlot(bytes + kNoteAt, kSlot, m_note);
    WriteTextSlot(bytes + kUrlAt, kSlot, m_url.URI());
    WriteTextSlot(bytes + kIdAt, kSlot, m_id);
    qToLittleEndian<qint32>(m_stopped ? 1 : 0, bytes + kStoppedAt);
    if (stream.write(header) != header.size())
        throw EZavelonError(QStringLiteral("%1: cannot write the project header: %2").arg(StreamName(stream), stream.errorString()));

    m_options.SaveToStream(stream);

    // In blocks: a crawl of 100,000 items would otherwise hold its whole
    // project text in memory at the moment it ends.
    constexpr qsizetype kBlock = 64 * 1024;
    QByteArray lines;
    lines.reserve(kBlock + 4096);
    const auto flush = [&] {
        if (stream.write(lines) != lines.size())
            throw EZavelonError(QStringLiteral("%1: cannot write the item lines: %2").arg(StreamName(stream), stream.errorString()));
        lines.resize(0);
    };
    for (const TTaskItem *item : m_items.ToList()) {
        lines += FormatItemLine(item->Done(), item->Depth(), item->URL().URI());
        if (lines.size() >= kBlock)
            flush();
    }
    flush();
}

void TTask::LoadFromStream(QIODevice &stream)
{
    // Header and options block together: nothing changes unless both are there.
    const QByteArray head = stream.read(kItemsOffset);
    if (head.size() < kItemsOffset)
        throw EZavelonError(QStringLiteral("%1 is not a project file: it has %2 bytes, a project file has at least %3")
                                .arg(StreamName(stream)).arg(head.size()).arg(kItemsOffset));
    const char *bytes = head.constData();
    m_name = ReadTextSlot(bytes + kNameAt, kSlot);
    m_note = ReadTextSlot(bytes + kNoteAt, kSlot);
    m_url.SetURI(ReadTextSlot(bytes + kUrlAt, kSlot));
    m_id = ReadTextSlot(bytes + kIdAt, kSlot);
    m_stopped = bytes[kStoppedAt] != 0;
    m_options.FromBlock(QByteArrayView(head).sliced(kHeaderSize));

    // The item lines are bounded: a damaged or hostile file must fail with
    // a message, not take the memory of the machine.
    if (!stream.isSequential() && stream.size() - stream.pos() > kMaxItemBytes)
        throw EZavelonError(QStringLiteral("%1 is not a project file this program can load: its item lines take "
                                           "%2 bytes, more than %3")
                                .arg(StreamName(stream)).arg(stream.size() - stream.pos()).arg(kMaxItemBytes));
    // read(n) sets n bytes aside before it reads: ask a file for what it
    // holds, not for the cap.
    const QByteArray rest = stream.read(stream.isSequential() ? kMaxItemBytes + 1 : stream.size() - stream.pos());
    if (rest.size() > kMaxItemBytes)
        throw EZavelonError(QStringLiteral("%1 is not a project file this program can load: its item lines take "
                                           "more than %2 bytes").arg(StreamName(stream)).arg(kMaxItemBytes));
    if (CountItemLines(rest, kMaxItems + 1) > kMaxItems)
        throw EZavelonError(QStringLiteral("%1 is not a project file this program can load: it has more than %2 "
                                           "item lines").arg(StreamName(stream)).arg(kMaxItems));
    m_items.DeleteAll();
    for (const QByteArray &text : SplitItemLines(rest)) {
        const TItemLine line = ParseItemLine(QString::fromUtf8(text));
        auto *item = new TTaskItem(this, line.URL);
        item->SetDone(line.Done);
        if (line.Done)
            ++m_doneCount;
        item->SetDepth(line.Depth);
        m_items.Add(item);
    }
}

void TTask::LoadFromFile(const QString &path)
{
    m_fileName = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open the project file %1: %2").arg(path, file.errorString()));
    try {
        LoadFromStream(file);
        FoldJournal();
    } catch (const std::bad_alloc &) {
        m_items.DeleteAll();
        m_doneCount = 0;
        throw EZavelonError(QStringLiteral("Cannot load the project file %1: not enough memory").arg(path));
    }
}

void TTask::FoldJournal()
{
    m_recoveredPictures.clear();
    // An item takes up to two lines (found, then done or saved or failed),
    // and most lines name an item the file already holds: the cap is on the
    // items, the lines only get a bound of their own.
    const std::vector<TTaskJournal::TEntry> entries = TTaskJournal::Read(m_fileName, 2 * kMaxItems + 1);
    if (entries.empty())
        return;
    for (const TTaskJournal::TEntry &entry : entries) {
        const int index = m_items.IndexOfURL(entry.URL);
        TTaskItem *item = index < 0 ? nullptr : m_items.Get(index);
        if (!item) {
            if (m_items.Count() >= kMaxItems)
                throw EZavelonError(
                    QStringLiteral("%1 and its journal hold more than %2 items").arg(m_fileName).arg(kMaxItems));
            item = new TTaskItem(this, entry.URL);
            item->SetDepth(entry.Depth);
            m_items.AddSorted(item);
        }
        if (entry.Kind == TTaskJournal::TEntry::Queued)
            continue;
        // A picture counts once it is in place: its line was written just
        // before the rename.
        if (entry.Kind == TTaskJournal::TEntry::Saved) {
            if (!QFileInfo::exists(entry.Path))
                continue;
            m_recoveredPictures << entry.Path;
        }
        if (!item->Done()) {
            item->SetDone(true);
            ++m_doneCount;
        }
    }
}

void TTask::SaveToFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EZavelonError(QStringLiteral("Cannot create the project file %1: %2").arg(path, file.errorString()));
    // The site's and the proxy's passwords are in it: the owner's eyes only,
    // like the settings store.
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0)
        throw EZavelonError(QStringLiteral("Cannot create the project file %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    SaveToStream(file);
    if (!file.commit())
        throw EZavelonError(QStringLiteral("Cannot write the project file %1: %2").arg(path, file.errorString()));
    // Everything the journal told is in the file now, unless a worker's end
    // is still to be handled (a stop that came just after it ended): the
    // file written when that end is handled takes the journal away then.
    if (path == m_fileName && RunningCount() == 0) {
        if (m_journal)
            m_journal->Remove();
        else
            TTaskJournal::RemoveFile(path);
    }
}
