// Feeds arbitrary bytes to the project-file reader. The reader must refuse a
// short file with EZavelonError and load anything else; and loading is a
// normalisation: what a load writes back, loads and writes back unchanged.
#include "engine/Errors.h"
#include "engine/Task.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr qsizetype kListsAt = TTask::kHeaderSize + 5149; // the file-mask slots

// The first input byte chooses how the rest becomes a file, so that short
// inputs still reach the slots, the lists and the item lines. The file is made
// in one allocation: pages of large buffers are what this target spends on.
QByteArray MakeFile(const std::uint8_t *data, size_t size)
{
    const char *input = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    const int mode = data[0] % 4;
    if (mode == 0) // the bytes as they are: mostly too short
        return QByteArray(input, length);

    QByteArray file;
    file.reserve(TTask::kItemsOffset + length);
    file.resize(TTask::kItemsOffset);
    char *bytes = file.data();
    if (mode == 3 && length > 0) { // repeated over header and block: no slot has a NUL
        for (qsizetype at = 0; at < TTask::kItemsOffset; at += length)
            std::memcpy(bytes + at, input, size_t(qMin(length, TTask::kItemsOffset - at)));
    } else {
        std::memset(bytes, 0, size_t(TTask::kItemsOffset));
        // Over the header, or over the list areas (end markers, full slots).
        const qsizetype at = mode == 1 ? 0 : kListsAt;
        std::memcpy(bytes + at, input, size_t(qMin(length, TTask::kItemsOffset - at)));
    }
    file.append(input, length); // and the same bytes as item lines
    return file;
}

QByteArray Save(const TTask &task, qsizetype expected)
{
    QByteArray bytes;
    bytes.reserve(expected);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    task.SaveToStream(buffer);
    buffer.close();
    return bytes;
}

bool Load(TTask &task, QByteArray &bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        task.LoadFromStream(buffer);
        return true;
    } catch (const EZavelonError &) {
        if (bytes.size() >= TTask::kItemsOffset)
            __builtin_trap(); // a file this long must load
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray file = MakeFile(data, size);
    TTask first;
    if (!Load(first, file))
        return 0;
    // A line written back is at most 7 times the bytes it was read from
    // ("\n" becomes "0,0,\r\n", a stray byte a 3-byte replacement character).
    const qsizetype expected = TTask::kItemsOffset + 8 * qsizetype(size) + 64;
    QByteArray saved = Save(first, expected);
    TTask second;
    if (!Load(second, saved) || Save(second, expected) != saved)
        __builtin_trap();
    return 0;
}
