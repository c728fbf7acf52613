// The image library loader on arbitrary bytes: it must never crash, hang or
// exhaust memory, and whatever it loads must save back to the very bytes it
// came from (the uninterpreted ones included) and load again unchanged.
#include "images/ImageLibrary.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

QByteArray Save(TImageLibrary &library)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    library.SaveToStream(buffer);
    return bytes;
}

void Load(TImageLibrary &library, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    library.LoadFromStream(buffer);
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    TImageLibrary library;
    Load(library, input);
    const qsizetype count = library.Count();
    // Whole records only.
    Check(count <= std::max<qsizetype>(0, (input.size() - 264) / 280));

    const QByteArray saved = Save(library);
    Check(saved.size() == 264 + count * 280);
    if (count > 0) {
        // The signature slot and every record that was wholly in the input
        // are written back byte for byte.
        const qsizetype slot = std::min<qsizetype>(input.size(), 256);
        Check(std::memcmp(saved.constData(), input.constData(), size_t(slot)) == 0);
        Check(std::memcmp(saved.constData() + 264, input.constData() + 264, size_t(count * 280)) == 0);
    }

    TImageLibrary again;
    Load(again, saved);
    Check(again.Count() == count);
    Check(Save(again) == saved);
    for (qsizetype i = 0; i < count; ++i)
        Check(again.Find(library.Items(int(i))->FileName) != nullptr);
    return 0;
}
