// Feeds arbitrary bytes to the link scanner. The first line is the page's
// directory URL, the rest the page. Besides surviving the bytes, the scan must
// agree with a plain, slow rendering of the same rules: a character-by-
// character tag cutter and the walk that removes ".." pairs from a list.
#include "engine/HTMLScan.h"
#include "engine/Tags.h"
#include "engine/URLPath.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray Trim(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QList<QByteArray> PlainTags(const QByteArray &text)
{
    QList<QByteArray> tags;
    QByteArray collected;
    bool open = false;
    for (const char c : text) {
        if (c == '<') {
            open = true;
            collected.clear();
        } else if (c == '>') {
            open = false;
            tags.append(collected);
        } else if (open) {
            collected.append(c);
        }
    }
    return tags;
}

QString PlainResolve(const QByteArray &raw)
{
    QByteArray scheme = "http://";
    QByteArray rest = raw;
    if (raw.left(8).toLower() == "https://") {
        scheme = "https://";
        rest = raw.mid(8);
    } else if (raw.left(7).toLower() == "http://") {
        rest = raw.mid(7);
    }
    QList<QByteArray> segments;
    QByteArray segment;
    for (const char c : rest) {
        if (c == '/') {
            segments.append(segment);
            segment.clear();
        } else {
            segment.append(c);
        }
    }
    if (!Trim(segment).isEmpty())
        segments.append(segment);
    qsizetype i = 0;
    while (i < segments.size()) {
        if (segments[i] != "..") {
            ++i;
            continue;
        }
        segments.removeAt(i);
        if (i > 0) {
            segments.removeAt(i - 1);
            --i;
        }
    }
    if (segments.isEmpty())
        return QString();
    return QString::fromUtf8(scheme + segments.join('/'));
}

QStringList PlainScan(const QByteArray &mainURL, const QByteArray &page)
{
    QStringList urls;
    const char *keywords[] = {"src", "href", "url"};
    for (const QByteArray &tag : PlainTags(page)) {
        const QByteArray lower = tag.toLower();
        for (const char *keyword : keywords) {
            const qsizetype at = lower.indexOf(keyword);
            if (at < 0)
                continue;
            const QByteArray fromKeyword = tag.mid(at);
            const qsizetype equals = fromKeyword.indexOf('=');
            if (equals < 0)
                continue;
            QByteArray value;
            for (const char c : fromKeyword.mid(equals + 1)) {
                if (c == ' ')
                    break;
                if (c != '"' && c != '\'')
                    value.append(c);
            }
            value = Trim(value);
            if (!value.isEmpty() && value.left(4).toLower() != "http") {
                if (value.size() > 1 && value[0] == '/')
                    value.remove(0, 1);
                value = mainURL + value;
            }
            value = Trim(value);
            if (value.isEmpty())
                continue;
            const QString url = PlainResolve(value);
            if (!url.isEmpty())
                urls.append(url);
        }
    }
    return urls;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QByteArray mainURL = lineEnd < 0 ? QByteArray() : input.left(lineEnd);
    const QByteArray page = lineEnd < 0 ? input : input.mid(lineEnd + 1);

    THTMLScan scanner;
    scanner.SetMainURL(QString::fromUtf8(mainURL));
    scanner.SetHTMLText(page);
    const TURLPathItems &links = scanner.Links();

    QStringList urls;
    for (qsizetype i = 0; i < links.Count(); ++i) {
        const QString &url = links.Get(i)->URL();
        Check(url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://")));
        urls.append(url);
    }
    Check(urls == PlainScan(scanner.MainURL().toUtf8(), page));

    // The same text again scans nothing new.
    const qsizetype count = links.Count();
    scanner.SetHTMLText(page);
    Check(links.Count() == count);

    TTags tags;
    tags.SetText(page);
    Check(tags.Tags().size() == page.count('>'));
    const QList<QByteArray> plainTags = PlainTags(page);
    Check(tags.Tags().size() == plainTags.size());
    for (qsizetype i = 0; i < plainTags.size(); ++i)
        Check(tags.Tags()[i] == plainTags[i]);

    const TURLPath path(QByteArrayView(input.constData(), input.size()));
    Check(path.URL() == PlainResolve(input));
    (void)IsPageExtension(QString::fromUtf8(input));
    Check(StartsWithHttp(QByteArrayView(input.constData(), input.size()))
          == (input.isEmpty() || input.left(4).toLower() == "http"));
    (void)StartsWithHttp(QString::fromUtf8(input));
    return 0;
}
