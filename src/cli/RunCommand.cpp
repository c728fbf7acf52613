// zavelon-cli run: runs a task to its end without a display.
#include "cli/Command.h"
#include "cli/ConsoleViews.h"
#include "cli/HeadlessRun.h"
#include "engine/AsciiText.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "images/ImageLibrary.h"
#include "session/DownloadSession.h"

#include <QCoreApplication>
#include <QTimer>

#include <unistd.h>

namespace {

int Run(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool quiet = TakeFlag(args, QStringLiteral("--quiet"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        throw UsageError("run needs exactly one project file");

    // The task first: a file that cannot be read ends the command before
    // the library is touched.
    auto loaded = std::make_unique<TTask>();
    loaded->LoadFromFile(args.first());

    TDownloadSession session(ImageLibraryFileName(ProgramHome()));
    THeadlessRunner runner(session);
    TProgressLine progress(!quiet && ::isatty(STDERR_FILENO));
    TConsoleLog log(progress, true, [&] {
        // Not in the middle of the view call that found the pipe broken.
        QTimer::singleShot(0, [&] { runner.Stop(kExitBrokenPipe); });
    });
    TSavedPictures pictures;
    TNoFilesView files;
    if (!session.LibraryStartupError().isEmpty())
        PrintErr("zavelon-cli: " + EscapeControlChars(session.LibraryStartupError()).toUtf8() + '\n');
    session.SetViews(&files, &log, &pictures);
    TTask *task = session.AddTask(std::move(loaded));
    // Rows and progress are only worth their main-thread calls while a
    // progress line shows them.
    task->SetShown(progress.Enabled());

    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] { progress.Draw(*task, pictures.Bytes); });
    if (progress.Enabled())
        redraw.start(250);
    TRunResult result = runner.Run(task, false);
    redraw.stop();
    progress.Draw(*task, pictures.Bytes);
    progress.Clear();

    // Like the desktop program at its end, except that a run that ends by
    // itself records every saved picture before the library is written (a
    // stop has shut the session down already).
    try {
        session.ShutDown(TDownloadSession::TPendingPictures::Wait);
    } catch (const std::exception &error) {
        const auto *own = dynamic_cast<const EZavelonError *>(&error);
        result.Failures << (own ? own->message() : QString::fromUtf8(error.what()));
    }
    if (result.Refused)
        throw EZavelonError(result.Refusal);
    for (const QString &failure : result.Failures)
        PrintErr("zavelon-cli: " + EscapeControlChars(failure).toUtf8() + '\n');
    PrintErr("zavelon-cli: " + EscapeControlChars(result.Summary()).toUtf8() + '\n');
    if (runner.StopCode() != kExitOk)
        return runner.StopCode();
    return result.Failed() ? kExitFailed : kExitOk;
}

const CommandRegistrar kRun{{{QStringLiteral("run")}, QStringLiteral("run FILE.wrp [--quiet]"), Run}};

} // namespace
