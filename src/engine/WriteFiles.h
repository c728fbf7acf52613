#pragma once

#include <QString>

// "Exclusive writing" of the temporary download files within this process: a
// path that one worker has open for writing cannot be opened for writing by
// another until it is closed. So of two pictures of the same name, the second
// is skipped while the first is still being written.

// Claims `path`; false when another writer holds it.
bool ClaimWriteFile(const QString &path);
// Gives a claimed path back.
void ReleaseWriteFile(const QString &path);
