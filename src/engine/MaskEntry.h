#pragma once

#include <QString>

// A file-mask entry is one text "extension, folder" (as in "gif, Saved"): the
// extension without its dot, a comma, and the sub-folder of the task's save
// folder that files with this extension go to.
struct TMaskEntry
{
    QString Extension;
    QString Folder;
};

// Splits an entry at its first comma; each part is trimmed of blanks and
// control characters, letter case kept. A second comma belongs to the folder.
// An entry without a comma gives two empty parts.
TMaskEntry SplitMaskEntry(const QString &entry);

// The entry of an extension and a folder as the editors write it:
// extension + ", " + folder.
QString JoinMaskEntry(const TMaskEntry &mask);
