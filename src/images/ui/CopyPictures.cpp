#include "images/ui/CopyPictures.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "images/ui/ConfirmOverwriteForm.h"
#include "images/ui/FileTransfer.h"
#include "widgets/ErrorReport.h"
#include "widgets/FolderPicker.h"
#include "widgets/BusyCursor.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

// One file: empty when it was copied or moved, else why not.
QString TransferOne(const QString &source, const QString &target, bool move)
{
    TBusyCursor busy;
    try {
        if (move)
            MoveFileReplacing(source, target);
        else
            CopyFileReplacing(source, target);
        return {};
    } catch (const EZavelonError &error) {
        return error.message();
    }
}

} // namespace

TCopyPicturesResult CopyPicturesTo(QWidget *parent, const QStringList &files, bool move)
{
    QString folder;
    if (!BrowseForFolder(QStringLiteral("Copy to ..."), QString(), folder))
        return {};
    return TransferPictures(parent, files, folder, move);
}

TCopyPicturesResult TransferPictures(QWidget *parent, const QStringList &files, const QString &folder, bool move,
                                     const TOverwriteQuestion &ask)
{
    const TOverwriteQuestion question = ask ? ask : [parent](const QString &source, const QString &target) {
        return AskOverwrite(parent, source, target, true);
    };
    TCopyPicturesResult result;
    result.Folder = folder;
    TOverwriteState state;
    const qsizetype count = files.size();
    for (qsizetype step = 0; step < count; ++step) {
        // A move takes the rows from the last, as it removes them.
        const QString &source = files.at(move ? count - 1 - step : step);
        const QString wanted = AddBackslash(folder) + QFileInfo(source).fileName();
        const QString target = state.Resolve(source, wanted, question);
        if (target.isEmpty())
            continue;
        const QString error = TransferOne(source, target, move);
        if (!error.isEmpty()) {
            if (result.Failed.isEmpty())
                result.FirstError = error;
            result.Failed.append(source);
        } else if (move) {
            result.Moved.append(source);
        }
    }
    if (!result.Failed.isEmpty())
        ShowErrorMessage(parent, TransferFailureText(int(result.Failed.size()), result.FirstError, move));
    return result;
}
