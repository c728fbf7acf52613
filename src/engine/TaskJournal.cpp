#include "engine/TaskJournal.h"

#include "engine/Errors.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Longer lines are not ours (a URL and a path take a few kilobytes at most).
constexpr qint64 kMaxLineBytes = 256 * 1024;

} // namespace

QByteArray TTaskJournal::EscapeText(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

QString TTaskJournal::UnescapeText(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        switch (text[++i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: out += text[i];
        }
    }
    return QString::fromUtf8(out);
}

bool TTaskJournal::WriteAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

TTaskJournal::TTaskJournal(const QString &projectFile)
    : m_projectFile(projectFile)
    , m_path(PathOf(projectFile))
{
}

TTaskJournal::~TTaskJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString TTaskJournal::PathOf(const QString &projectFile)
{
    return projectFile + QStringLiteral(".journal");
}

QByteArray TTaskJournal::FormatLine(const TEntry &entry)
{
    static const char kinds[] = {'Q', 'D', 'S'};
    QByteArray line;
    line += kinds[entry.Kind];
    line += ' ';
    line += QByteArray::number(entry.Depth);
    line += ' ';
    line += EscapeText(entry.URL);
    if (entry.Kind == TEntry::Saved) {
        line += '\t';
        line += EscapeText(entry.Path);
    }
    line += '\n';
    return line;
}

bool TTaskJournal::ParseLine(QByteArrayView line, TEntry &entry)
{
    if (line.size() < 4 || line[1] != ' ')
        return false;
    switch (line[0]) {
    case 'Q': entry.Kind = TEntry::Queued; break;
    case 'D': entry.Kind = TEntry::Done; break;
    case 'S': entry.Kind = TEntry::Saved; break;
    default: return false;
    }
    const qsizetype space = line.indexOf(' ', 2);
    if (space < 0)
        return false;
    bool ok = false;
    entry.Depth = line.sliced(2, space - 2).toInt(&ok);
    if (!ok)
        return false;
    QByteArrayView rest = line.sliced(space + 1);
    entry.Path.clear();
    if (entry.Kind == TEntry::Saved) {
        const qsizetype tab = rest.indexOf('\t');
        if (tab < 0)
            return false;
        entry.Path = UnescapeText(rest.sliced(tab + 1));
        rest = rest.first(tab);
    }
    entry.URL = UnescapeText(rest);
    return !entry.URL.isEmpty();
}

bool TTaskJournal::Append(const std::vector<TEntry> &entries)
{
    QByteArray lines;
    for (const TEntry &entry : entries)
        lines += FormatLine(entry);
    if (lines.isEmpty())
        return true;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return false;
    }
    return WriteAll(m_fd, lines);
}

void TTaskJournal::Remove()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    RemoveFile(m_projectFile);
}

void TTaskJournal::RemoveFile(const QString &projectFile)
{
    ::unlink(QFile::encodeName(PathOf(projectFile)).constData());
}

std::vector<TTaskJournal::TEntry> TTaskJournal::Read(const QString &projectFile, qsizetype maxEntries)
{
    std::vector<TEntry> entries;
    QFile file(PathOf(projectFile));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    TEntry entry;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(kMaxLineBytes);
        // A line without its end was being written when the program died.
        if (!line.endsWith('\n'))
            break;
        if (!ParseLine(QByteArrayView(line).chopped(1), entry))
            continue;
        if (qsizetype(entries.size()) >= maxEntries)
            throw EZavelonError(QStringLiteral("The journal %1 has more than %2 lines").arg(file.fileName()).arg(maxEntries));
        entries.push_back(entry);
    }
    return entries;
}
