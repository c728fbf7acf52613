#include "engine/URLPath.h"

#include "engine/AsciiBytes.h"
#include "engine/Errors.h"

#include <QVarLengthArray>

#include <cstring>
#include <string>

namespace {

constexpr QByteArrayView kHttp = "http://";
constexpr QByteArrayView kHttps = "https://";

using SegmentStack = QVarLengthArray<QByteArrayView, 32>;

// One segment in walk order. ".." removes itself and the segment kept before
// it, but never the first one: that is the host, and a path cannot climb
// above the root into it ("h/t/../../x" is h/x, as RFC 3986 resolves it).
// Walking the list, removing the pair and going back one step comes to
// exactly this stack, without shifting the list on every removal.
void TakeSegment(SegmentStack &kept, QByteArrayView segment)
{
    if (segment == QByteArrayView("..")) {
        if (kept.size() > 1)
            kept.removeLast();
        return;
    }
    kept.append(segment);
}

// Cuts `path` at every "/": each "/" closes the segment before it, even an
// empty one; the text after the last "/" counts only when it is not blank.
void CutSegments(QByteArrayView path, SegmentStack &kept)
{
    const char *from = path.data();
    const char *const end = path.data() + path.size();
    while (from < end) {
        const void *slash = std::memchr(from, '/', static_cast<size_t>(end - from));
        if (!slash)
            break;
        const char *at = static_cast<const char *>(slash);
        TakeSegment(kept, QByteArrayView(from, at - from));
        from = at + 1;
    }
    const QByteArrayView tail(from, end - from);
    if (!TrimLowBytes(tail).isEmpty())
        TakeSegment(kept, tail);
}

} // namespace

TURLPath::TURLPath(const QString &rawURL)
    : m_rawURL(rawURL)
{
    Resolve(m_rawURL.toUtf8());
}

TURLPath::TURLPath(QByteArrayView rawURL)
    : m_rawURL(QString::fromUtf8(rawURL))
{
    Resolve(rawURL);
}

void TURLPath::SetRawURL(const QString &rawURL)
{
    if (rawURL == m_rawURL)
        return;
    m_rawURL = rawURL;
    Resolve(m_rawURL.toUtf8());
}

QStringList TURLPath::Segments() const
{
    if (m_url.isEmpty())
        return {};
    const qsizetype prefix = m_url.startsWith(QLatin1StringView(kHttps)) ? kHttps.size() : kHttp.size();
    return m_url.sliced(prefix).split(QLatin1Char('/'));
}

void TURLPath::Resolve(QByteArrayView raw)
{
    QByteArrayView scheme = kHttp;
    QByteArrayView path = raw;
    if (StartsWithNoCase(raw, kHttps)) {
        scheme = kHttps;
        path = raw.sliced(kHttps.size());
    } else if (StartsWithNoCase(raw, kHttp)) {
        path = raw.sliced(kHttp.size());
    }

    SegmentStack kept;
    CutSegments(path, kept);
    if (kept.isEmpty()) {
        m_url.clear();
        return;
    }

    // One buffer per thread for the joined bytes: a link costs one
    // allocation for its URL, not one per piece.
    thread_local std::string joined;
    joined.assign(scheme.data(), static_cast<size_t>(scheme.size()));
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (i > 0)
            joined.push_back('/');
        joined.append(kept[i].data(), static_cast<size_t>(kept[i].size()));
    }
    const QByteArrayView url(joined.data(), static_cast<qsizetype>(joined.size()));
    m_url = url == raw ? m_rawURL : QString::fromUtf8(url);
}

void TURLPath::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TURLPath *>(&source);
    if (!other)
        AssignError(source);
    *this = *other;
}

QString TURLPath::ClassName() const
{
    return QStringLiteral("TURLPath");
}

qsizetype TURLPathItems::Add(const QString &rawURL)
{
    return Append(TURLPath(rawURL));
}

qsizetype TURLPathItems::AddBytes(QByteArrayView rawURL)
{
    return Append(TURLPath(rawURL));
}

qsizetype TURLPathItems::AddCopy(const TURLPath &path)
{
    m_items.push_back(path);
    return Count() - 1;
}

qsizetype TURLPathItems::Append(TURLPath &&path)
{
    if (!path.HasURL())
        return -1;
    m_items.push_back(std::move(path));
    return Count() - 1;
}

const TURLPath *TURLPathItems::Get(qsizetype index) const
{
    if (index < 0 || index >= Count())
        throw EZavelonError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return &m_items[static_cast<size_t>(index)];
}
