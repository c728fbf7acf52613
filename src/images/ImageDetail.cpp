#include "images/ImageDetail.h"

#include "engine/TextSlot.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr qsizetype kAddedAt = 256;
constexpr qsizetype kFileSizeAt = 264;
constexpr qsizetype kHeightAt = 268;
constexpr qsizetype kWidthAt = 272;

double ReadDouble(const char *at)
{
    const quint64 bits = qFromLittleEndian<quint64>(at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void WriteDouble(char *at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, at);
}

} // namespace

void TImageDetail::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TImageDetail *>(&source);
    if (!other)
        AssignError(source);
    Added = other->Added;
    Height = other->Height;
    FileSize = other->FileSize;
    Width = other->Width;
    FileName = other->FileName;
}

TImageDetail::Block TImageDetail::Filled() const
{
    Block block = m_block ? *m_block : Block{};
    // A loaded name whose bytes still read as FileName keeps those exact
    // bytes (even invalid UTF-8 or a full slot without NUL); any other name
    // is written anew, cut at a character boundary so the slot never
    // overflows.
    if (ReadTextSlot(block.data(), kFileNameSize) != FileName)
        WriteTextSlot(block.data(), kFileNameSize, FileName);
    WriteDouble(block.data() + kAddedAt, Added);
    qToLittleEndian(FileSize, block.data() + kFileSizeAt);
    qToLittleEndian(Height, block.data() + kHeightAt);
    qToLittleEndian(Width, block.data() + kWidthAt);
    return block;
}

void TImageDetail::WriteToStream(QIODevice &stream) const
{
    const Block block = Filled();
    WriteBlock(stream, block.data(), kBlockSize);
}

void TImageDetail::ReadFromStream(QIODevice &stream)
{
    Block block{};
    ReadBlock(stream, block.data(), kBlockSize);
    ReadBlockFields(block);
}

bool TImageDetail::ReadRecord(QIODevice &stream)
{
    Block block{};
    if (ReadBlock(stream, block.data(), kBlockSize) < kBlockSize)
        return false;
    ReadBlockFields(block);
    return true;
}

void TImageDetail::ReadBlockFields(const Block &block)
{
    FileName = ReadTextSlot(block.data(), kFileNameSize);
    Added = ReadDouble(block.data() + kAddedAt);
    FileSize = qFromLittleEndian<qint32>(block.data() + kFileSizeAt);
    Height = qFromLittleEndian<qint32>(block.data() + kHeightAt);
    Width = qFromLittleEndian<qint32>(block.data() + kWidthAt);
    m_block.reset();
    if (Filled() != block)
        m_block = std::make_unique<Block>(block);
}
