#pragma once

#include <QByteArrayView>

// Byte-level counterparts of AsciiText.h for text kept as received (pages,
// links): a blank is any code up to 32 and only A to Z change case, so bytes of
// multi-byte UTF-8 sequences are never touched.

constexpr bool IsLowCode(char c) noexcept
{
    return static_cast<unsigned char>(c) <= 32;
}

// `text` without the codes up to 32 at both ends.
QByteArrayView TrimLowBytes(QByteArrayView text) noexcept;

// Whether `text` begins with `lowerPrefix` once A to Z of `text` are lowered.
// `lowerPrefix` holds no upper-case letter.
bool StartsWithNoCase(QByteArrayView text, QByteArrayView lowerPrefix) noexcept;
