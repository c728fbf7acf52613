#include "imaging/DecodeLimit.h"

#include "engine/Errors.h"

std::int64_t DecodedBytes(const QSize &size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return 0;
    return std::int64_t(size.width()) * size.height() * 4;
}

void CheckDecodedSize(const QString &path, const QSize &size, std::int64_t alreadyDecoded)
{
    if (DecodedBytes(size) + alreadyDecoded > kMaxDecodedBytes)
        throw EZavelonError(QStringLiteral("Picture too large to decode (%1 x %2 pixels): %3")
                                .arg(size.width())
                                .arg(size.height())
                                .arg(path));
}
