#pragma once

#include "engine/Persistent.h"

class QIODevice;

// Base of the records that store themselves as one fixed-size block of a
// binary file. Assignable like every data class (Assign accepts only its own
// class). Writing is const so that several threads may write the same record
// (the block is filled in a copy); reading fills the record's own block.
class TStreamPersistent : public TPersistent
{
public:
    // Writes the whole block; raises EZavelonError when the device takes less.
    virtual void WriteToStream(QIODevice &stream) const = 0;
    // Reads up to one block; a short read is not an error (the bytes not
    // read keep their previous content). Raises EZavelonError only when the
    // device reports a read error.
    virtual void ReadFromStream(QIODevice &stream) = 0;

protected:
    TStreamPersistent() = default;
    TStreamPersistent(const TStreamPersistent &) = default;
    TStreamPersistent &operator=(const TStreamPersistent &) = default;

    // Helpers of the subclasses for their whole-block I/O.
    static void WriteBlock(QIODevice &stream, const char *block, qint64 size);
    // Returns the bytes read: fewer than `size` at the end of the stream.
    static qint64 ReadBlock(QIODevice &stream, char *block, qint64 size);
};
