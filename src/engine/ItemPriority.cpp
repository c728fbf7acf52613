#include "engine/ItemPriority.h"

#include "engine/AsciiText.h"
#include "engine/ParsedUrl.h"

namespace {

// Texts are kept as UTF-8 on disk, so a URL's length is its UTF-8 byte count.
qint64 Utf8Length(const QString &text)
{
    qint64 bytes = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += 1;
        else if (u < 0x800 || QChar::isSurrogate(u))
            bytes += 2; // each half of a surrogate pair counts 2 of its 4 bytes
        else
            bytes += 3;
    }
    return bytes;
}

int HostClass(const QString &host, const QString &taskHost)
{
    const QString itemHost = AsciiLower(host);
    const QString ownHost = AsciiLower(taskHost);
    if (itemHost == ownHost)
        return 9;
    if (ParentDomain(itemHost) == ParentDomain(ownHost))
        return 6;
    return 3;
}

} // namespace

QString ParentDomain(const QString &host)
{
    const qsizetype dot = host.indexOf(u'.');
    if (dot < 0)
        return QString();
    return host.mid(dot + 1);
}

qint64 ItemPriority(const TParsedUrl &url, const QString &taskHost)
{
    return 1000 * qint64(HostClass(url.Host(), taskHost)) + Utf8Length(url.URI());
}
