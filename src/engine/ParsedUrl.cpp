#include "engine/ParsedUrl.h"

void TParsedUrl::SetURI(const QString &uri)
{
    *this = TParsedUrl();
    m_uri = uri;
    m_uri.replace(u'\\', u'/');
    if (m_uri.isEmpty())
        return;

    QString remainder = m_uri;
    const qsizetype scheme = m_uri.indexOf(QLatin1String("://"));
    if (scheme >= 0) {
        m_protocol = m_uri.left(scheme);
        const QString rest = m_uri.mid(scheme + 3);
        const qsizetype slash = rest.indexOf(u'/');
        const QString authority = slash < 0 ? rest : rest.left(slash);
        remainder = slash < 0 ? QString() : rest.mid(slash + 1);
        const qsizetype colon = authority.indexOf(u':');
        m_host = colon < 0 ? authority : authority.left(colon);
        m_port = colon < 0 ? QString() : authority.mid(colon + 1);
    }

    const qsizetype last = remainder.lastIndexOf(u'/');
    m_path = remainder.left(last + 1);
    if (!m_path.startsWith(u'/'))
        m_path.prepend(u'/');
    m_document = remainder.mid(last + 1);

    const qsizetype hash = m_document.indexOf(u'#');
    if (hash >= 0) {
        m_bookmark = m_document.mid(hash + 1);
        m_document.truncate(hash);
    }
}
