#pragma once

#include <QString>

// A URL held by a task, an item or a worker, split into parts by fixed,
// simple rules that the rest of the engine relies on:
// - every backslash reads as a slash (also in URI);
// - with "://": Protocol is the text before it; the authority runs to the
//   next "/" (consumed), Host is the authority up to its first ":", Port the
//   rest; without "://" these three are empty;
// - Path is the remainder up to and including its last "/", always starting
//   with "/" ("/" when the remainder has none); Document is what follows;
// - a "#" in Document starts the Bookmark; a query is not split off.
// An empty text leaves every part empty.
class TParsedUrl
{
public:
    TParsedUrl() = default;
    explicit TParsedUrl(const QString &uri) { SetURI(uri); }

    // Replaces the whole text and splits it again.
    void SetURI(const QString &uri);

    const QString &URI() const { return m_uri; }
    const QString &Protocol() const { return m_protocol; }
    const QString &Host() const { return m_host; }
    const QString &Port() const { return m_port; }
    const QString &Path() const { return m_path; }
    const QString &Document() const { return m_document; }
    const QString &Bookmark() const { return m_bookmark; }

private:
    QString m_uri;
    QString m_protocol;
    QString m_host;
    QString m_port;
    QString m_path;
    QString m_document;
    QString m_bookmark;
};
