#include "images/AddImageFile.h"

#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "images/ImageLibrary.h"
#include "imaging/Gif.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFormat.h"

#include <QFile>

#include <limits>

namespace {

constexpr qint64 kSizeBlock = 128;

} // namespace

qint32 RoundedFileSize(qint64 bytes)
{
    constexpr qint64 largest = std::numeric_limits<qint32>::max() / kSizeBlock * kSizeBlock;
    return qint32(std::min(bytes / kSizeBlock * kSizeBlock, largest));
}

void MeasurePicture(const QString &path, qint32 &width, qint32 &height)
{
    width = -1;
    height = -1;
    try {
        // Only the extension is lower-cased here, not trimmed.
        if (PictureExtension(path) == QLatin1String(".gif")) {
            TGif gif;
            gif.LoadFromFile(path);
            width = gif.Width();
            height = gif.Height();
        } else {
            const QImage image = LoadFirstImage(path);
            width = image.width();
            height = image.height();
        }
    } catch (const std::exception &) {
        // Unknown format, damaged file, too large: the record says -1 x -1.
    }
}

std::unique_ptr<TImageDetail> MakeImageDetail(const QString &path)
{
    if (path.toUtf8().size() >= TImageDetail::kFileNameSize)
        throw EZavelonError(QStringLiteral("Path too long for the image library (over %1 bytes): %2")
                                .arg(TImageDetail::kFileNameSize - 1)
                                .arg(path));
    auto record = std::make_unique<TImageDetail>();
    record->Added = NowDays();
    record->FileName = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw EZavelonError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    record->FileSize = RoundedFileSize(file.size());
    file.close();
    MeasurePicture(path, record->Width, record->Height);
    return record;
}

void AddImageFile(TImageLibrary &library, const QString &path)
{
    if (library.Find(path))
        return;
    library.AddIfAbsent(MakeImageDetail(path));
}
