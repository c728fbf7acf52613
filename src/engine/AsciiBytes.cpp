#include "engine/AsciiBytes.h"

#include <cstring>

namespace {

inline char LowerAsciiByte(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c;
}

} // namespace

QByteArrayView TrimLowBytes(QByteArrayView text) noexcept
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsLowCode(text[begin]))
        ++begin;
    while (end > begin && IsLowCode(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool StartsWithNoCase(QByteArrayView text, QByteArrayView lowerPrefix) noexcept
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (qsizetype i = 0; i < lowerPrefix.size(); ++i) {
        if (LowerAsciiByte(text[i]) != lowerPrefix[i])
            return false;
    }
    return true;
}
