#include "engine/TextSlot.h"

#include <cstring>

QByteArray Utf8Prefix(const QByteArray &utf8, qsizetype maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype cut = maxBytes < 0 ? 0 : maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the
    // sequence that the cut would split, and drop that whole sequence.
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    return utf8.left(cut);
}

void WriteTextSlot(char *slot, qsizetype slotSize, const QString &text)
{
    if (slotSize <= 0)
        return;
    const QByteArray bytes = Utf8Prefix(text.toUtf8(), slotSize - 1);
    std::memcpy(slot, bytes.constData(), static_cast<size_t>(bytes.size()));
    slot[bytes.size()] = '\0';
}

QString ReadTextSlot(const char *slot, qsizetype slotSize)
{
    const void *nul = std::memchr(slot, '\0', static_cast<size_t>(slotSize));
    const qsizetype length = nul ? static_cast<const char *>(nul) - slot : slotSize;
    return QString::fromUtf8(slot, length);
}
