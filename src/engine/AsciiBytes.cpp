#include "engine/AsciiBytes.h"

#include <cstring>

namespace {

// For a lower-case letter, OR-ing 0x20 into a byte maps exactly its upper-case
// form onto it; no other byte reaches a value from 'a' to 'z' that way.
inline bool SameLetter(char c, char lowerLetter) noexcept
{
    return char(c | 0x20) == lowerLetter;
}

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

qsizetype IndexOfNoCase(QByteArrayView text, QByteArrayView lowerWord) noexcept
{
    const qsizetype n = lowerWord.size();
    if (n == 0)
        return 0;
    const char first = lowerWord[0];
    const qsizetype last = text.size() - n;
    for (qsizetype i = 0; i <= last; ++i) {
        if (!SameLetter(text[i], first))
            continue;
        qsizetype k = 1;
        while (k < n && SameLetter(text[i + k], lowerWord[k]))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}
