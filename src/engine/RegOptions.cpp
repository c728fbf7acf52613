#include "engine/RegOptions.h"

#include "engine/AsciiText.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/MaskEntry.h"
#include "engine/OptionFields.h"
#include "engine/TextSlot.h"

#include <QDir>
#include <QFileDevice>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace {

constexpr qsizetype kSlot = TRegOptions::kSlotSize;
constexpr char kEndMarker[] = "(end)";

// One field's bytes at `at`, by the field's type. Flags are one byte, 0 or 1,
// and read any non-zero byte as true.
void Put(char *at, bool value)
{
    *at = value ? 1 : 0;
}
void Get(const char *at, bool &value)
{
    value = *at != 0;
}

void Put(char *at, std::uint8_t value)
{
    *at = static_cast<char>(value);
}
void Get(const char *at, std::uint8_t &value)
{
    value = static_cast<std::uint8_t>(*at);
}

void Put(char *at, std::int32_t value)
{
    qToLittleEndian<std::int32_t>(value, at);
}
void Get(const char *at, std::int32_t &value)
{
    value = qFromLittleEndian<std::int32_t>(at);
}

// Date-times keep their bits: NaN, infinities and -0.0 come back unchanged.
void Put(char *at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian<quint64>(bits, at);
}
void Get(const char *at, double &value)
{
    const quint64 bits = qFromLittleEndian<quint64>(at);
    std::memcpy(&value, &bits, sizeof value);
}

void Put(char *at, const QString &text)
{
    WriteTextSlot(at, kSlot, text);
}
void Get(const char *at, QString &text)
{
    text = ReadTextSlot(at, kSlot);
}

// Entries fill consecutive slots; a list shorter than the area is ended by
// the marker, a full area has none. Entries beyond the area are not saved.
void Put(char *at, const QStringList &list)
{
    const qsizetype count = qMin(list.size(), TRegOptions::kListSlots);
    for (qsizetype i = 0; i < count; ++i)
        Put(at + i * kSlot, list[i]);
    if (count < TRegOptions::kListSlots)
        std::memcpy(at + count * kSlot, kEndMarker, sizeof kEndMarker);
}
void Get(const char *at, QStringList &list)
{
    list.clear();
    for (qsizetype i = 0; i < TRegOptions::kListSlots; ++i) {
        const char *slot = at + i * kSlot;
        // The marker is compared byte for byte, so a slot such as "(END)" or
        // "(end)x" is an ordinary entry.
        if (std::memcmp(slot, kEndMarker, sizeof kEndMarker) == 0)
            break;
        list << ReadTextSlot(slot, kSlot);
    }
}

QString StreamName(const QIODevice &stream)
{
    const auto *file = qobject_cast<const QFileDevice *>(&stream);
    return file && !file->fileName().isEmpty() ? file->fileName() : QStringLiteral("the stream");
}

} // namespace

TRegOptions::TRegOptions()
    : DefaultFolder(InitialFolder())
    , DefaultLogFolder(InitialFolder())
    , ProjectPath(InitialFolder())
{
}

QString TRegOptions::InitialFolder()
{
    return AddBackslash(QDir::tempPath());
}

void TRegOptions::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegOptions *>(&source);
    if (!other)
        AssignError(source);
    *this = *other;
}

QByteArray TRegOptions::ToBlock() const
{
    QByteArray bytes(kBlockSize, '\0');
    for (const TOptionField &field : OptionFields()) {
        if (field.InBlock())
            field.Visit(*this, [&](const auto &value) { Put(bytes.data() + field.BlockOffset, value); });
    }
    return bytes;
}

void TRegOptions::FromBlock(QByteArrayView bytes)
{
    if (bytes.size() < kBlockSize)
        throw EZavelonError(QStringLiteral("The options block holds %1 of %2 bytes").arg(bytes.size()).arg(kBlockSize));
    for (const TOptionField &field : OptionFields()) {
        if (field.InBlock())
            field.Visit(*this, [&](auto &value) { Get(bytes.data() + field.BlockOffset, value); });
    }
}

void TRegOptions::LoadFromStream(QIODevice &stream)
{
    const QByteArray block = stream.read(kBlockSize);
    if (block.size() < kBlockSize)
        throw EZavelonError(QStringLiteral("%1: the options block ends early (%2 of %3 bytes)")
                                .arg(StreamName(stream)).arg(block.size()).arg(kBlockSize));
    FromBlock(block);
}

void TRegOptions::SaveToStream(QIODevice &stream) const
{
    const QByteArray block = ToBlock();
    if (stream.write(block) != block.size())
        throw EZavelonError(QStringLiteral("%1: cannot write the options block: %2")
                                .arg(StreamName(stream), stream.errorString()));
}

int TRegOptions::FindMaskIndex(const QString &extension) const
{
    const QString wanted = AsciiLower(TrimLowChars(extension));
    for (qsizetype i = 0; i < FileMasks.size(); ++i) {
        if (AsciiLower(TrimLowChars(SplitMaskEntry(FileMasks[i]).Extension)) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

bool TRegOptions::IsExcludedFile(const QString &name) const
{
    for (const QString &entry : ExcludeFiles) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
