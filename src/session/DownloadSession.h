#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

class QTimer;
class TDueRuns;
class TFileLock;
class TFilesView;
class TImageLibrary;
class TImageLibrarySession;
class TLogView;
class TPicturesView;
class TTask;
class TTaskList;

// The downloading side of a program, shared by the desktop program and the
// command line so that neither keeps its own copy of the rules: the tasks it
// has opened (`TaskList` with `LoadedTaskPaths`), the image library with its
// adding threads and the hook that routes every saved picture to it, the
// limit of tasks a user may run at once, the end of a run (project file
// written, listeners told, the shut-down offer), the engine side of the
// 300 ms main timer (report refresh, then due schedules start their tasks),
// and the end of the program.
//
// Main thread only. A window or the command line listens to the signals and
// shows what they mean; the session never shows anything itself.
//
// One session per process at a time: the engine's picture hook is
// process-wide. The session sets it when made and clears it in ShutDown().
//
// Programs sharing a home: a task file is run by one program at a time.
// Every start takes the task file's lock (a TFileLock on "NAME.wrp.lock"),
// held until the run has ended or stopped and the project file is written; a
// start that finds it held by another program is refused (HeldElsewhere,
// RunRefused) with a text that names that program. The image library merges
// on save (TImageLibrarySession).
class TDownloadSession : public QObject
{
    Q_OBJECT

public:
    // Tasks a user may have running at once; a further start by the user is
    // refused. Schedules and restarts are not held to it.
    static constexpr int kUserRunLimit = 3;
    static constexpr int kMainTimerMs = 300;

    // Loads the library file when it exists (see LibraryStartupError) and
    // routes every picture a worker saves to the library.
    explicit TDownloadSession(const QString &libraryFileName, QObject *parent = nullptr);
    // Shuts the session down when ShutDown() was not called, without
    // raising.
    ~TDownloadSession() override;

    // ---- The image library ------------------------------------------------

    TImageLibrarySession &Library() { return *m_library; }
    TImageLibrary &ImageLibrary();
    // The error of reading an existing library file at start, else empty;
    // such a file is left as it is at the end.
    QString LibraryStartupError() const;

    // ---- Tasks ----------------------------------------------------------

    // The views every task the session opens refers to. Tasks opened before
    // keep theirs.
    void SetViews(TFilesView *files, TLogView *log, TPicturesView *pictures);

    TTaskList &TaskList() { return *m_tasks; }
    // Project files whose task is in TaskList.
    const QStringList &LoadedTaskPaths() const { return m_loadedPaths; }
    // The task of a project file once it was opened, else null. Paths are
    // compared without regard to letter case.
    TTask *LoadedTask(const QString &path) const;
    // Why the task file `path` must not be written now because another
    // program runs it ("The task file ... is being run by zavelon-cli (pid
    // 12)"); empty when none does.
    static QString RunElsewhere(const QString &path);
    // The task of a project file: the loaded one, or the file is read into a
    // new task that joins TaskList for good, with the views and the end
    // handling of this session. A file whose ID belongs to a loaded task (a
    // copied project file) gives that task: one task, one run. Raises
    // EZavelonError naming the file when it cannot be read.
    TTask *OpenTask(const QString &path);
    // The path no longer names its task (its file was deleted); the task
    // stays in TaskList.
    void ForgetTaskPath(const QString &path);
    // Lists a task read elsewhere under its FileName, as OpenTask does.
    TTask *AddTask(std::unique_ptr<TTask> task);

    // ---- Run control ----------------------------------------------------

    enum class TStartResult {
        Started,
        TooManyRunning, // kUserRunLimit tasks run already
        AlreadyRunning,
        AllDone,        // every item is done: only a restart runs it again
        HeldElsewhere,  // another program runs the task file (LastRefusal says which)
    };
    // A user's start: refused while kUserRunLimit or more tasks run, when
    // the task runs or has nothing left to do, or when another program runs
    // its file; otherwise every task is hidden, this one shown and run.
    TStartResult RunByUser(TTask *task);
    // A start no limit holds, for a stopped task (a headless run): Run as it
    // is. A task whose items are all done ends its run at once. Refused
    // (HeldElsewhere) only when another program runs the task file.
    TStartResult RunTask(TTask *task);
    // A start by schedule: a task whose items are all done starts over, so
    // that a daily task looks at its site again every day. One whose file
    // another program runs is not started (HeldElsewhere, RunRefused).
    TStartResult RunScheduled(TTask *task);
    // The text of the last HeldElsewhere refusal: "The task file F is being
    // run by zavelon-cli (pid 4242)".
    const QString &LastRefusal() const { return m_lastRefusal; }
    // Stops the task and writes its project file. Raises EZavelonError when
    // the file cannot be written; the task is stopped all the same.
    void StopTask(TTask *task);
    // Stops the task, forgets its items and runs it from its start URL
    // again, shown. The project file is written when that run ends or stops.
    // Nothing changes when another program runs the task file (RunRefused).
    void RestartTask(TTask *task);
    // Stops every running task, the last opened first, and writes each one's
    // project file. Raises the first write failure once all are stopped.
    void StopAll();
    // Tasks of TaskList that run.
    int RunningCount() const;

    // ---- The main timer -------------------------------------------------

    // Starts the 300 ms timer that calls Tick (the desktop program).
    void StartMainTimer();
    // Shares the slots scheduled tasks were started for with the other
    // programs on the home, through this file (see TDueRuns).
    void SetDueRunsFile(const QString &fileName);
    // One tick at `now` (local, days since 1899-12-30): Ticked() first (the
    // report), then every stopped task of TaskList whose schedule is due
    // for a slot it has not been started for yet starts (RunScheduled).
    void Tick(double now);

    // ---- The end --------------------------------------------------------

    // Whether the user wants the computer shut down when the last running
    // task has ended by itself (the default options' AutoShutDown, read at
    // that moment).
    void SetShutDownWanted(std::function<bool()> wanted) { m_shutDownWanted = std::move(wanted); }

    enum class TPendingPictures {
        Wait, // every saved picture is measured and recorded before the library is written
        Drop, // a quick end: pictures still being measured stay pending in the
              // library's journal, and the next start measures them
    };
    // Ends the session: every task stopped and written (StopAll), no further
    // picture recorded, the adding threads ended (first, with Drop, so that
    // their decoding frees the processors for the stop) or waited for, the
    // library written. Every step runs; the first failure is raised at the
    // end. Later calls do nothing.
    void ShutDown(TPendingPictures pending = TPendingPictures::Drop);
    // After a stop: the ends of workers that had ended by themselves just
    // before it are handled now rather than by the event loop (their items
    // done, the project file written once more), waiting at most `timeoutMs`
    // for them. For a program that stops its loop right after.
    void FinishEndedWorkers(int timeoutMs = 1000);

signals:
    // A task started or stopped, by any path.
    void TaskStateChanged(TTask *task);
    // A run ended by itself; the project file has been written (or Error
    // told why not).
    void TaskFinished(TTask *task);
    // The last running task ended by itself while the user wants the
    // computer shut down then.
    void ShutDownOffered();
    // Each main-timer tick, before due schedules start.
    void Ticked();
    // Something the user must hear of that no call returned: a project file
    // that could not be written at the end of a run.
    void Error(const QString &text);
    // A start (by the user, a schedule or a restart) was refused because
    // another program runs the task file; `reason` names it.
    void RunRefused(TTask *task, const QString &reason);

private:
    void TaskEnded(TTask *task);
    void StartDueTasks(double now);
    // False when the due-runs file says the task was started for `slot`
    // already; otherwise records it there.
    bool ClaimSlot(const TTask &task, std::int64_t slot);
    void Started(TTask *task);
    // Takes the task file's lock for a run; false (LastRefusal, RunRefused)
    // when another program holds it.
    bool LockTaskFile(TTask *task);
    void UnlockTaskFile(TTask *task);
    // Pictures that a crashed run saved, which the library may lack.
    void RecordRecoveredPictures(const TTask &task);

    std::unique_ptr<TImageLibrarySession> m_library;
    std::unique_ptr<TTaskList> m_tasks;
    QStringList m_loadedPaths;
    // Project files that hold the ID of a task loaded from another file.
    QHash<QString, TTask *> m_copiedPaths;
    TFilesView *m_filesView = nullptr;
    TLogView *m_logView = nullptr;
    TPicturesView *m_picturesView = nullptr;
    QTimer *m_mainTimer = nullptr;
    // The schedule slot each task was last started for.
    QHash<const TTask *, std::int64_t> m_startedSlots;
    std::unique_ptr<TDueRuns> m_dueRuns;
    std::function<bool()> m_shutDownWanted;
    bool m_shutDown = false;
    std::unordered_map<const TTask *, std::unique_ptr<TFileLock>> m_taskLocks;
    QString m_lastRefusal;
};
