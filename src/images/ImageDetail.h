#pragma once

#include "images/StreamPersistent.h"

#include <QString>

#include <array>
#include <memory>

// One record of the image library: a picture file, when it was recorded, its
// size and its pixel size. On disk it is a 280-byte block:
//
//   offset  size  content
//        0   256  FileName, UTF-8, NUL-terminated (at most 255 bytes)
//      256     8  Added, IEEE-754 double, days since 1899-12-30 (local time)
//      264     4  FileSize, int32
//      268     4  Height, int32
//      272     4  Width, int32
//      276     4  reserved
//
// all little-endian. Note the order: size, height, width. The bytes after the
// name's NUL and the reserved field are zero for a record made in this run
// and written back exactly as read for a loaded one: the record keeps the
// block it was read into.
class TImageDetail : public TStreamPersistent
{
public:
    static constexpr qsizetype kBlockSize = 280;
    static constexpr qsizetype kFileNameSize = 256;
    using Block = std::array<char, kBlockSize>;

    // An empty name, zero numbers and an all-zero block.
    TImageDetail() = default;

    double Added = 0;  // when the record was made, days since 1899-12-30
    qint32 Height = 0; // pixels; -1 when the picture could not be decoded
    qint32 FileSize = 0; // the file's length rounded down to a multiple of 128
    qint32 Width = 0;  // pixels; -1 when the picture could not be decoded
    QString FileName;  // full path; the key of the library

    // Copies the five fields (not the block) from another TImageDetail.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TImageDetail"); }

    void WriteToStream(QIODevice &stream) const override;
    // Reads up to 280 bytes into the block, then the fields from it (the name
    // up to its first NUL, at most 256 bytes; invalid UTF-8 is replaced).
    void ReadFromStream(QIODevice &stream) override;
    // Reads a whole record; false, with the fields unchanged, when the stream
    // ends before its 280 bytes (a truncated file).
    bool ReadRecord(QIODevice &stream);

    // The block as it would be written now.
    Block Filled() const;

private:
    void ReadBlockFields(const Block &block);

    // The block as read, kept only when it holds bytes the fields do not
    // reproduce (stray bytes after the name, a name that is not valid
    // UTF-8); none means all zero. A library of 100,000 fresh records would
    // otherwise carry 28 MB of zeros.
    std::unique_ptr<Block> m_block;
};
