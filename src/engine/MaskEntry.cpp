#include "engine/MaskEntry.h"

#include "engine/AsciiText.h"

TMaskEntry SplitMaskEntry(const QString &entry)
{
    const qsizetype comma = entry.indexOf(u',');
    if (comma < 0)
        return {};
    return {TrimLowChars(entry.left(comma)), TrimLowChars(entry.mid(comma + 1))};
}

QString JoinMaskEntry(const TMaskEntry &mask)
{
    return mask.Extension + QStringLiteral(", ") + mask.Folder;
}
