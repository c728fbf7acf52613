#include "images/ImageLibraryHeader.h"

#include "engine/TextSlot.h"

#include <QtEndian>

namespace {

constexpr qsizetype kSignatureSize = 256;
constexpr qsizetype kVersionAt = 256;
constexpr qsizetype kRecordCountAt = 260;

} // namespace

const QString TImageLibraryHeader::kSignature = QStringLiteral("Quorvane Images Library File");

void TImageLibraryHeader::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TImageLibraryHeader *>(&source);
    if (!other)
        AssignError(source);
    RecordCount = other->RecordCount;
    Version = other->Version;
    Signature = other->Signature;
}

TImageLibraryHeader::Block TImageLibraryHeader::Filled() const
{
    Block block = m_block;
    WriteTextSlot(block.data(), kSignatureSize, Signature);
    qToLittleEndian(Version, block.data() + kVersionAt);
    qToLittleEndian(RecordCount, block.data() + kRecordCountAt);
    return block;
}

void TImageLibraryHeader::WriteToStream(QIODevice &stream) const
{
    const Block block = Filled();
    WriteBlock(stream, block.data(), kBlockSize);
}

void TImageLibraryHeader::ReadFromStream(QIODevice &stream)
{
    ReadBlock(stream, m_block.data(), kBlockSize);
    Signature = ReadTextSlot(m_block.data(), kSignatureSize);
    Version = qFromLittleEndian<qint32>(m_block.data() + kVersionAt);
    RecordCount = qFromLittleEndian<qint32>(m_block.data() + kRecordCountAt);
}
