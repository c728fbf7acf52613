#include "engine/HTMLScan.h"

#include "engine/AsciiBytes.h"
#include "engine/AsciiText.h"

namespace {

// For every byte, the index of the keyword that begins with it in either
// letter case, or -1. The keywords begin with different letters.
constexpr std::array<signed char, 256> KeywordByFirstByte()
{
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (size_t k = 0; k < LinkKeywords.size(); ++k) {
        const char first = LinkKeywords[k][0];
        table[static_cast<unsigned char>(first)] = static_cast<signed char>(k);
        table[static_cast<unsigned char>(first - ('a' - 'A'))] = static_cast<signed char>(k);
    }
    return table;
}
constexpr std::array<signed char, 256> kKeywordByFirstByte = KeywordByFirstByte();
static_assert(kKeywordByFirstByte['s'] == 0 && kKeywordByFirstByte['H'] == 1 && kKeywordByFirstByte['u'] == 2,
              "every keyword needs a first letter of its own");

using KeywordPositions = std::array<qsizetype, LinkKeywords.size()>;

// The first position of every keyword in `tag` with A to Z lowered, or -1;
// all three in one pass over the tag.
KeywordPositions FindKeywords(QByteArrayView tag)
{
    KeywordPositions at;
    at.fill(-1);
    qsizetype missing = at.size();
    for (qsizetype i = 0; i < tag.size() && missing > 0; ++i) {
        const int k = kKeywordByFirstByte[static_cast<unsigned char>(tag[i])];
        if (k < 0 || at[k] >= 0)
            continue;
        if (StartsWithNoCase(tag.sliced(i), LinkKeywords[k])) {
            at[k] = i;
            --missing;
        }
    }
    return at;
}

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
            for (qsizetype i = 0; i < lastCount; ++i) {
                if (HasRoom())
                    m_links->AddCopy(*m_links->Get(lastFirst + i));
            }
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
    // Links go in keyword order, whatever their order inside the tag.
    for (const qsizetype at : FindKeywords(tag)) {
        if (at < 0)
            continue;
        const QByteArrayView fromKeyword = tag.sliced(at);
        const qsizetype equals = fromKeyword.indexOf('=');
        if (equals < 0)
            continue;
        AddLink(CleanAttributeValue(fromKeyword.sliced(equals + 1), m_value));
    }
}

bool THTMLScan::HasRoom()
{
    if (m_links->Count() < kMaxLinks)
        return true;
    ++m_ignored;
    return false;
}

void THTMLScan::AddLink(QByteArrayView value)
{
    if (m_links->Count() >= kMaxLinks) {
        if (!TrimLowBytes(value).isEmpty())
            ++m_ignored;
        return;
    }
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
