#include "engine/AsciiText.h"

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
