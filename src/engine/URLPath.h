#pragma once

#include "engine/Persistent.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <deque>

// One link found on a page. RawURL is the link as the scan built it; URL is
// its absolute form: the "http://" or "https://" prefix (any case) is taken
// off, the rest is cut into Segments at every "/", each ".." removes itself
// and the segment before it (never the first segment, the host: a ".." at
// the root stays at the root), and the segments are joined again behind the
// lower-case prefix (so a final "/" is dropped). Anything else counts as a
// path below the scheme, including links that merely begin with "http".
// A link whose segments come to nothing has no resolved form: URL is empty.
class TURLPath : public TPersistent
{
public:
    explicit TURLPath(const QString &rawURL = QString());
    // The link as bytes of the page (UTF-8); resolved without decoding first.
    explicit TURLPath(QByteArrayView rawURL);
    TURLPath(const TURLPath &other) = default;
    TURLPath(TURLPath &&other) = default;
    TURLPath &operator=(const TURLPath &other) = default;
    TURLPath &operator=(TURLPath &&other) = default;

    const QString &RawURL() const { return m_rawURL; }
    // A raw text that differs from the stored one is resolved again.
    void SetRawURL(const QString &rawURL);

    // The segments left after ".." removal, in order. They are what URL
    // holds behind its prefix, so they are cut from it when asked for instead
    // of being kept beside it: a scan makes many links and reads no segments.
    QStringList Segments() const;
    const QString &URL() const { return m_url; }
    bool HasURL() const { return !m_url.isEmpty(); }

    void Assign(const TPersistent &source) override;
    QString ClassName() const override;

private:
    // `raw` is RawURL as UTF-8 bytes.
    void Resolve(QByteArrayView raw);

    QString m_rawURL;
    // Shares RawURL's text when resolution leaves it unchanged, as it does
    // for most links of a page.
    QString m_url;
};

// The links of one scan, in the order found. The list owns its links.
class TURLPathItems
{
public:
    // Makes a link from `rawURL` and appends it. Returns its index, or -1
    // (nothing appended) when the text has no resolved form.
    qsizetype Add(const QString &rawURL);
    qsizetype AddBytes(QByteArrayView rawURL);
    // Appends a copy of a link already resolved; returns its index.
    qsizetype AddCopy(const TURLPath &path);

    // The link at `index`; an index outside 0 .. Count()-1 raises the list
    // index error.
    const TURLPath *Get(qsizetype index) const;
    qsizetype Count() const { return static_cast<qsizetype>(m_items.size()); }
    void Clear() { m_items.clear(); }

private:
    qsizetype Append(TURLPath &&path);

    // A deque keeps every link at a fixed address while the list grows.
    std::deque<TURLPath> m_items;
};
