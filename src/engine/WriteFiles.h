#pragma once

#include <QString>

// Names of files being written by this process's workers. A worker claims
// the final name of the file it is about to write (a picture under its
// temporary "!!wr" name, a page under its own) and gives it back once the
// file is in place or given up; no other worker chooses a claimed name. So
// two pictures of the same name are both kept, the second under name[n]
// even while the first is still being written.

// Claims `path`; false when another writer holds it.
bool ClaimWriteFile(const QString &path);
// Gives a claimed path back.
void ReleaseWriteFile(const QString &path);

// Chooses and claims, in one step, the first free name for `path`: the path
// itself, else name[n] as UniqueFileName makes it. A name is free when no
// writer has claimed it and neither it nor its "!!wr" file exists. The name
// is first shortened (FitFileName) so that it and `reserve` more bytes fit
// the file system's limit.
QString ClaimUniqueFileName(const QString &path, int reserve);

// A file being written is held (flock on its open file) for as long as it
// is open, so that the clean-up of another run or program never deletes it.
// Holds the open file `fd`, just made at `path`; false when another holds
// it, or when a clean-up took the name away between the making and the
// holding (the file is no longer the one at `path`).
bool HoldOpenFile(int fd, const QString &path);
// Deletes the file at `path` unless a writer holds it; true when deleted.
bool RemoveUnheldFile(const QString &path);
