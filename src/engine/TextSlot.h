#pragma once

#include <QByteArray>
#include <QString>

// Fixed-size text slots of the binary formats (project files, the image
// library) hold UTF-8 bytes ended by a NUL. A text that does not fit is cut at
// a character boundary, so a slot never holds half a UTF-8 sequence.

// The longest prefix of `utf8` that is at most `maxBytes` long and does not end
// inside a multi-byte sequence.
QByteArray Utf8Prefix(const QByteArray &utf8, qsizetype maxBytes);

// Writes `text` into `slot` of `slotSize` bytes: at most slotSize - 1 bytes of
// text, then a NUL. Bytes after the NUL are left as they are.
void WriteTextSlot(char *slot, qsizetype slotSize, const QString &text);

// The text of a slot up to its first NUL (or the whole slot when it has none);
// invalid UTF-8 is replaced, never rejected.
QString ReadTextSlot(const char *slot, qsizetype slotSize);
