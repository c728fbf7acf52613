#include "images/ui/FileTransfer.h"

#include "engine/Errors.h"
#include "engine/StopGate.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

// Pieces small enough that a stop is noticed within a few milliseconds.
constexpr qint64 kPieceSize = qint64(1) << 20;

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

EZavelonError CopyError(const QString &source, const QString &target, const QString &why)
{
    return EZavelonError(QStringLiteral("Cannot copy %1 to %2: %3").arg(source, target, why));
}

EZavelonError MoveError(const QString &source, const QString &target, const QString &why)
{
    return EZavelonError(QStringLiteral("Cannot move %1 to %2: %3").arg(source, target, why));
}

// rename(2) replaces an existing target in one step (QFile::rename refuses).
int RenameReplacing(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return 0;
    return errno;
}

void RequireFile(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (!info.exists())
        throw CopyError(source, target, QStringLiteral("the file does not exist"));
    if (info.isDir())
        throw CopyError(source, target, QStringLiteral("it is a folder"));
}

} // namespace

bool IsSameFile(const QString &first, const QString &second)
{
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(first).constData(), &a) != 0 || ::stat(QFile::encodeName(second).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

TTransferResult CopyFileReplacing(const QString &source, const QString &target, TStopGate *gate)
{
    RequireFile(source, target);
    if (IsSameFile(source, target))
        return TTransferResult::Done;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw CopyError(source, target, in.errorString());
    // Beside the target, so that the rename stays within one file system.
    QTemporaryFile out(target + QStringLiteral("!!wrXXXXXX"));
    if (!out.open())
        throw CopyError(source, target, out.errorString());

    QByteArray piece(kPieceSize, Qt::Uninitialized);
    for (;;) {
        if (gate && gate->IsStopped())
            return TTransferResult::Stopped;
        const qint64 read = in.read(piece.data(), kPieceSize);
        if (read < 0)
            throw CopyError(source, target, in.errorString());
        if (read == 0)
            break;
        if (out.write(piece.constData(), read) != read)
            throw CopyError(source, target, out.errorString());
    }
    if (!out.flush())
        throw CopyError(source, target, out.errorString());
    // As a file manager's copy does: the source's permissions and date.
    out.setPermissions(in.permissions());
    out.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    out.close();

    int error = 0;
    const auto rename = [&] { error = RenameReplacing(out.fileName(), target); };
    if (gate) {
        if (!gate->Locked(rename))
            return TTransferResult::Stopped;
    } else {
        rename();
    }
    if (error != 0)
        throw CopyError(source, target, SystemError(error));
    out.setAutoRemove(false);
    return TTransferResult::Done;
}

void MoveFileReplacing(const QString &source, const QString &target)
{
    RequireFile(source, target);
    // rename(2) of a file onto another name of itself succeeds and does
    // nothing; the source must not then count as moved.
    if (IsSameFile(source, target))
        throw MoveError(source, target, QStringLiteral("it is the same file"));
    const int error = RenameReplacing(source, target);
    if (error == 0)
        return;
    if (error != EXDEV)
        throw MoveError(source, target, SystemError(error));
    CopyFileReplacing(source, target);
    if (!QFile::remove(source))
        throw MoveError(source, target, QStringLiteral("the copy is in place but the source cannot be deleted"));
}

QString TransferFailureText(int failed, const QString &firstError, bool move)
{
    return QStringLiteral("%1 image(s) could not be %2 !\n%3")
        .arg(failed)
        .arg(move ? QStringLiteral("moved") : QStringLiteral("copied"), firstError);
}
