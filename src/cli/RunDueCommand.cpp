// zavelon-cli run-due: runs, one after another, the scheduled tasks of a
// folder whose slot has come and that no program has started for it yet.
#include "cli/Command.h"
#include "cli/ConsoleViews.h"
#include "cli/HeadlessRun.h"
#include "engine/AsciiText.h"
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "images/ImageLibrary.h"
#include "session/DownloadSession.h"
#include "session/DueRuns.h"
#include "settings/RegSettings.h"
#include "settings/Schedule.h"

#include <QDirIterator>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace {

struct TDueTask {
    QString Path;
    std::unique_ptr<TTask> Task;
    std::int64_t Slot = 0;
};

// Every project file under `folder`, sub-folders included, in name order so
// that runs come in the same order every time.
QStringList ProjectFilesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.wrp"), QStringLiteral("*.WRP")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QFileInfo(it.next()).absoluteFilePath();
    files.removeDuplicates();
    files.sort();
    return files;
}

QString DefaultProjectFolder()
{
    TRegSettings settings(ProgramHome());
    settings.Load();
    return settings.Options.ProjectPath;
}

void Say(const QString &line)
{
    PrintOut(EscapeControlChars(line).toUtf8() + '\n');
}

// Says why the project file `path` cannot be read; that counts as a failure.
void SayFailed(const QString &path, const std::exception &error, bool &failed)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    Say(QStringLiteral("failed %1: %2").arg(path, own ? own->message() : QString::fromUtf8(error.what())));
    failed = true;
}

// The task of `path`, or none after saying why it cannot be read.
std::unique_ptr<TTask> LoadOrSay(const QString &path, bool &failed)
{
    auto task = std::make_unique<TTask>();
    try {
        task->LoadFromFile(path);
    } catch (const std::exception &error) {
        SayFailed(path, error, failed);
        return nullptr;
    }
    return task;
}

// The tasks whose open slot (the latest hourly slot reached, or today when
// it is a due day) is newer than the one they were last started for. A file
// that cannot be read is said and counts as a failure.
std::vector<TDueTask> DueTasks(const QStringList &files, const TDueRuns &runs, double now, bool &failed)
{
    std::vector<TDueTask> due;
    for (const QString &path : files) {
        // The schedule is in the file's head: a run every minute does not
        // read the items of every task to find it.
        TRegScheme scheme;
        try {
            scheme = TTask::ReadProjectOptions(path).Scheme;
        } catch (const std::exception &error) {
            SayFailed(path, error, failed);
            continue;
        }
        const std::optional<std::int64_t> slot = OpenSlot(scheme, now);
        if (!slot)
            continue;
        const std::optional<std::int64_t> last = runs.LastSlot(path);
        if (last && *last >= *slot)
            continue;
        due.push_back({path, nullptr, *slot});
    }
    return due;
}

int RunDue(const QStringList &arguments)
{
    QStringList args = arguments;
    QString folder = TakeOption(args, QStringLiteral("--folder"));
    if (!args.isEmpty())
        throw UsageError("run-due takes no argument but --folder DIR");
    if (folder.isEmpty())
        folder = DefaultProjectFolder();
    if (!QFileInfo(folder).isDir())
        throw EZavelonError(QStringLiteral("The project folder \"%1\" cannot be read").arg(folder));

    TDueRuns runs(DueRunsFileName(ProgramHome()));
    bool failed = false;
    std::vector<TDueTask> due = DueTasks(ProjectFilesUnder(folder), runs, NowDays(), failed);
    if (due.empty())
        return failed ? kExitFailed : kExitOk;

    TDownloadSession session(ImageLibraryFileName(ProgramHome()));
    THeadlessRunner runner(session);
    TProgressLine noProgress(false);
    TConsoleLog log(noProgress, false, {});
    TSavedPictures pictures;
    TNoFilesView files;
    session.SetViews(&files, &log, &pictures);
    if (!session.LibraryStartupError().isEmpty())
        PrintErr("zavelon-cli: " + EscapeControlChars(session.LibraryStartupError()).toUtf8() + '\n');
    for (TDueTask &entry : due) {
        if (runner.StopCode() != kExitOk)
            break;
        // Claimed just before it runs: the runs before this one may have
        // taken hours, and another program on the home (the desktop's timer,
        // a second run-due) may have started it for this slot meanwhile;
        // then it is no longer due. Loaded again once claimed, so the run
        // starts from the file as that other run left it.
        if (!runs.Claim(entry.Path, entry.Slot))
            continue;
        entry.Task = LoadOrSay(entry.Path, failed);
        if (!entry.Task)
            continue;
        TTask *task = session.AddTask(std::move(entry.Task));
        const TRunResult result = runner.Run(task, true);
        Say(QStringLiteral("%1 %2: %3").arg(result.Refused ? QStringLiteral("refused") : QStringLiteral("ran"),
                                           entry.Path, result.Summary()));
        for (const QString &failure : result.Failures)
            PrintErr("zavelon-cli: " + EscapeControlChars(failure).toUtf8() + '\n');
        failed = failed || result.Failed();
    }
    try {
        session.ShutDown(TDownloadSession::TPendingPictures::Wait);
    } catch (const std::exception &error) {
        PrintErr(QByteArray("zavelon-cli: ") + error.what() + '\n');
        failed = true;
    }
    if (runner.StopCode() != kExitOk)
        return runner.StopCode();
    return failed ? kExitFailed : kExitOk;
}

const CommandRegistrar kRunDue{{{QStringLiteral("run-due")}, QStringLiteral("run-due [--folder DIR]"), RunDue}};

} // namespace
