#pragma once

#include <QString>

class TStopGate;

// Copying and moving one picture file so that a target is never left
// half-written: the bytes go to a temporary file beside the target (its name
// holds "!!wr", which every picture list skips), and only a complete copy is
// renamed over the target, replacing whatever was there. A failure or a stop
// removes the temporary file and leaves the target as it was.
//
// Both raise EZavelonError naming the file on failure (a source that cannot
// be read, a folder that cannot be written, a full disk). The callers ignore
// those errors, as the user asked for nothing but the copies.

enum class TTransferResult {
    Done,    // the target holds the source's bytes
    Stopped, // the gate was stopped: the target is untouched
};

// Copies `source` over `target`. With a gate, the copy gives up between two
// pieces once the gate is stopped, and the final rename is a step under the
// gate, so no copy completes after Stop() has returned. A target that is the
// source itself is left alone (Done).
TTransferResult CopyFileReplacing(const QString &source, const QString &target, TStopGate *gate = nullptr);

// Moves `source` to `target`, replacing it: a rename within one file system,
// else a copy as above and then the source is deleted. The source is deleted
// only once its copy is in place; when it cannot be deleted the copy stays
// and the move raises (the caller then still lists the source). Moving a
// file onto itself raises too: nothing was moved.
void MoveFileReplacing(const QString &source, const QString &target);

// Whether two paths name one file (one device and inode), also through links.
bool IsSameFile(const QString &first, const QString &second);

// What a copy or move of several files says when some failed: how many, and
// the first one's error.
QString TransferFailureText(int failed, const QString &firstError, bool move);
