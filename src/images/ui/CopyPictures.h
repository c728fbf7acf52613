#pragma once

#include "images/ui/OverwriteDecision.h"

#include <QString>
#include <QStringList>

class QWidget;

// Copy to and Move to of the downloaded-pictures list.
struct TCopyPicturesResult {
    QString Folder;      // the folder chosen; empty when the user cancelled
    QStringList Moved;   // Move to: the sources that are gone (their rows go)
    QStringList Failed;  // sources whose copy or move failed
    QString FirstError;  // the first failure's text
};

// The whole command, on the main thread: asks for a folder ("Copy to ..."),
// then copies (`move` false) or moves every file of `files` (full paths, in
// the list's order) into it under its own name. Existing targets are asked
// about with the "Override file" dialog and its two previews, by the rules
// of TOverwriteState; Copy walks the files from the first, Move from the
// last. A copy never leaves a half-written target, and a move never deletes
// a source whose copy failed. A file that fails does not stop the others;
// at the end one error report (ShowErrorMessage) says how many failed and
// why the first did.
TCopyPicturesResult CopyPicturesTo(QWidget *parent, const QStringList &files, bool move);

// The same once the folder is chosen; `ask` answers the conflicts (the
// dialog with previews when empty).
TCopyPicturesResult TransferPictures(QWidget *parent, const QStringList &files, const QString &folder, bool move,
                                     const TOverwriteQuestion &ask = {});
