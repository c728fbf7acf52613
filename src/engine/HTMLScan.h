#pragma once

#include "engine/Tags.h"
#include "engine/URLPath.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <string>

// The words whose "=" value is taken as a link, searched in this order.
inline constexpr std::array<QByteArrayView, 3> LinkKeywords{"src", "href", "url"};

// Extensions of documents that are fetched and scanned rather than saved.
inline constexpr std::array<QLatin1StringView, 7> PageExtensions{
    QLatin1StringView("shtml"), QLatin1StringView("html"), QLatin1StringView("htm"),
    QLatin1StringView("asp"), QLatin1StringView("php"), QLatin1StringView("dll"),
    QLatin1StringView("cgi")};

// Whether a document with this extension (with or without its leading ".")
// is a page. A document without extension is a page too.
bool IsPageExtension(const QString &extension);

// Whether a link counts as absolute: it is empty or begins with the letters
// "http" in any case (so "httpdocs/x" counts as well).
bool StartsWithHttp(const QString &text);
bool StartsWithHttp(QByteArrayView text);

// Finds the links of one page. Set MainURL (the page's directory) and then
// HTMLText (the page's bytes as received); every change of either scans the
// text again and appends what it finds to Links. The page is cut into tags;
// in every tag the first occurrence of each keyword, in keyword order, is
// followed to the next "=", and the value after it, up to the first space and
// without quotes, becomes a link: as it is when it counts as absolute, else
// behind MainURL (one leading "/" dropped). No entity is decoded and no
// markup is understood beyond the angle brackets.
//
// A hostile page must not exhaust memory through its links: Links holds at
// most kMaxLinks; the scan goes on counting the links beyond, which are
// dropped (IgnoredLinks).
class THTMLScan : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString MainURL READ MainURL WRITE SetMainURL)

public:
    static constexpr qsizetype kMaxLinks = 100000;

    explicit THTMLScan(QObject *owner = nullptr);
    ~THTMLScan() override;

    const QByteArray &HTMLText() const { return m_htmlText; }
    // A text that differs from the stored one is stored and scanned.
    void SetHTMLText(const QByteArray &text);

    const QString &MainURL() const { return m_mainURL; }
    // A value that differs from the stored one is stored, with a "/" added
    // when it does not end with one, and the text is scanned.
    void SetMainURL(const QString &url);

    const TURLPathItems &Links() const { return *m_links; }
    // Link values found after Links was full, over all scans.
    qsizetype IgnoredLinks() const { return m_ignored; }

private:
    // Whether Links has room for one more; counts the link as ignored when not.
    bool HasRoom();

    void Scan();
    void ScanTag(QByteArrayView tag);
    void AddLink(QByteArrayView value);

    QByteArray m_htmlText;
    QString m_mainURL;
    QByteArray m_mainURLBytes;
    std::unique_ptr<TURLPathItems> m_links;
    qsizetype m_ignored = 0;
    // Working buffers reused for every link, so a scan allocates per link
    // only what the link itself keeps.
    std::string m_value;
    std::string m_absolute;
};
