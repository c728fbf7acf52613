#pragma once

#include "images/StreamPersistent.h"

#include <QString>

#include <array>

// The header of imglib.db, a 264-byte block:
//
//   offset  size  content
//        0   256  Signature, "Quorvane Images Library File" and a NUL
//      256     4  Version, int32 (227)
//      260     4  RecordCount, int32: the records that follow
//
// little-endian. The bytes after the signature's NUL are never interpreted:
// zero in a new header, written back as read in a header that was read.
class TImageLibraryHeader : public TStreamPersistent
{
public:
    static constexpr qsizetype kBlockSize = 264;
    static constexpr qint32 kVersion = 227;
    static const QString kSignature;
    using Block = std::array<char, kBlockSize>;

    TImageLibraryHeader() = default;

    qint32 RecordCount = 0;
    qint32 Version = kVersion;
    QString Signature = kSignature;

    // Copies the three fields (not the block).
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TImageLibraryHeader"); }

    void WriteToStream(QIODevice &stream) const override;
    // Reads up to 264 bytes into the block (a short read, even of nothing,
    // leaves the rest as it was), then the fields from it.
    void ReadFromStream(QIODevice &stream) override;

    Block Filled() const;

private:
    Block m_block{};
};
