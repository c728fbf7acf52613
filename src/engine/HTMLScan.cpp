#include "engine/HTMLScan.h"

#include "engine/AsciiBytes.h"
#include "engine/AsciiText.h"

namespace {

// The value of an attribute: from the start up to the first space, quotes
// left out, then trimmed of blanks. Tabs and line ends do not end it.
QByteArrayView CleanAttributeValue(QByteArrayView value, std::string &buffer)
{
    buffer.clear();
    for (const char c : value) {
        if (c == ' ')
            break;
        if (c != '"' && c != '\'')
            buffer.push_back(c);
    }
    return TrimLowBytes(QByteArrayView(buffer.data(), static_cast<qsizetype>(buffer.size())));
}

// A relative link that begins with "/" is still taken below MainURL (the
// page's directory), not below the host; a lone "/" stays.
QByteArrayView StripLeadingSlash(QByteArrayView value)
{
    return (value.size() > 1 && value.front() == '/') ? value.sliced(1) : value;
}

} // namespace

bool IsPageExtension(const QString &extension)
{
    const QString trimmed = TrimLowChars(extension);
    if (trimmed.isEmpty())
        return true;
    // The "." is dropped from the argument as given, not from the trimmed
    // text: " .html" loses its blank, keeps its dot and is no page extension.
    const QString bare = trimmed.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    const QString name = AsciiLower(TrimLowChars(bare));
    for (QLatin1StringView page : PageExtensions) {
        if (name == page)
            return true;
    }
    return false;
}

bool StartsWithHttp(const QString &text)
{
    return text.isEmpty() || AsciiLower(text.left(4)) == QLatin1StringView("http");
}

bool StartsWithHttp(QByteArrayView text)
{
    return text.isEmpty() || StartsWithNoCase(text, "http");
}

THTMLScan::THTMLScan(QObject *owner)
    : QObject(owner)
    , m_links(std::make_unique<TURLPathItems>())
{
}

THTMLScan::~THTMLScan() = default;

void THTMLScan::SetHTMLText(const QByteArray &text)
{
    if (text == m_htmlText)
        return;
    m_htmlText = text;
    Scan();
}

void THTMLScan::SetMainURL(const QString &url)
{
    if (url == m_mainURL)
        return;
    m_mainURL = url;
    if (!m_mainURL.endsWith(QLatin1Char('/')))
        m_mainURL += QLatin1Char('/');
    m_mainURLBytes = m_mainURL.toUtf8();
    Scan();
}

void THTMLScan::Scan()
{
    // A stray ">" lists the tag before it once more, and a tag always gives
    // the same links; copying them keeps a run of ">" after a long tag linear.
    const char *lastTag = nullptr;
    qsizetype lastSize = -1;
    qsizetype lastFirst = 0;
    qsizetype lastCount = 0;
    TTags::Cut(m_htmlText, [&](QByteArrayView tag) {
        if (tag.data() == lastTag && tag.size() == lastSize) {
            for (qsizetype i = 0; i < lastCount; ++i)
                m_links->AddCopy(*m_links->Get(lastFirst + i));
            return;
        }
        lastTag = tag.data();
        lastSize = tag.size();
        lastFirst = m_links->Count();
        ScanTag(tag);
        lastCount = m_links->Count() - lastFirst;
    });
}

void THTMLScan::ScanTag(QByteArrayView tag)
{
    for (QByteArrayView keyword : LinkKeywords) {
        const qsizetype at = IndexOfNoCase(tag, keyword);
        if (at < 0)
            continue;
        const QByteArrayView fromKeyword = tag.sliced(at);
        const qsizetype equals = fromKeyword.indexOf('=');
        if (equals < 0)
            continue;
        AddLink(CleanAttributeValue(fromKeyword.sliced(equals + 1), m_value));
    }
}

void THTMLScan::AddLink(QByteArrayView value)
{
    QByteArrayView link = value;
    if (!StartsWithHttp(value)) {
        const QByteArrayView relative = StripLeadingSlash(value);
        m_absolute.assign(m_mainURLBytes.constData(), static_cast<size_t>(m_mainURLBytes.size()));
        m_absolute.append(relative.data(), static_cast<size_t>(relative.size()));
        link = QByteArrayView(m_absolute.data(), static_cast<qsizetype>(m_absolute.size()));
    }
    link = TrimLowBytes(link);
    if (!link.isEmpty())
        m_links->AddBytes(link);
}
