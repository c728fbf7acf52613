#include "engine/AsciiText.h"

#include <algorithm>

QString AsciiLower(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(char16_t(u + (u'a' - u'A')));
    }
    return result;
}

QString TrimLowChars(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

namespace {

bool IsControlChar(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

QString EscapeControlChars(const QString &text)
{
    const auto first = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return IsControlChar(c.unicode()); });
    if (first == text.cend())
        return text;
    QString escaped = text.left(first - text.cbegin());
    escaped.reserve(text.size() + 16);
    for (auto it = first; it != text.cend(); ++it) {
        const char16_t c = it->unicode();
        if (IsControlChar(c)) {
            static const char hex[] = "0123456789ABCDEF";
            escaped += QLatin1String("\\x");
            escaped += QLatin1Char(hex[c >> 4]);
            escaped += QLatin1Char(hex[c & 0xF]);
        } else {
            escaped += *it;
        }
    }
    return escaped;
}
