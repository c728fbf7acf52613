#pragma once

#include "engine/ParsedUrl.h"
#include "engine/Persistent.h"
#include "engine/RegOptions.h"
#include "engine/TaskItemList.h"
#include "engine/TaskViews.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QIODevice;
class TPageLock;
class TTaskJournal;
class TTaskThread;
struct TWorkResult;

// What a run has done so far: pictures saved and failed, pages that failed,
// and how many of those failures were failures to write a file here (a full
// disk, a folder without permission, a name the file system refuses) rather
// than failures of the web site. Counted from the start of each run.
struct TRunCounts
{
    int PicturesSaved = 0;
    int PicturesFailed = 0;
    int PagesFailed = 0;
    int LocalFailures = 0;
    // The log line of the first local failure; empty when none.
    QString FirstLocalFailure;
    // The log line telling that the start address could not be fetched at
    // all; empty when it could.
    QString StartFailure;
};

// One download job: a start URL, a name, a note, its own options and the
// growing list of URLs found for it. Each task lives in a project file of its
// own (".wrp"): a 5136-byte header, the options block, then one text line per
// item. The task owns its options, its items and its start URL.
//
// Running (main thread only): Run starts workers (TTaskThread) for the first
// waiting items in list order, at most eight; each worker's end comes back
// to WorkerFinished, which marks its item done (or failed, see TTaskItem) and
// starts waiting items while fewer than seven run; when none runs any more
// the task is stopped and OnFinished is called.
//
// Crash safety: while a task with a FileName runs, its workers append what
// they do to the task's journal (TTaskJournal) beside the project file;
// LoadFromFile folds it in, and SaveToFile removes it once the project file
// holds everything. So a crash of the program loses no done item and no
// saved picture (nothing is synced: a power cut may). Stop ends every worker
// at once (see TTaskThread for what it guarantees). The task shows its work only through its three views
// (see TaskViews.h), which it refers to and does not own.
class TTask : public TPersistent
{
public:
    static constexpr qsizetype kHeaderSize = 5136;
    // Where the item lines start; also the shortest file that loads.
    static constexpr qsizetype kItemsOffset = kHeaderSize + TRegOptions::kBlockSize;
    // A project file with more item lines (or bytes of them) is refused: a
    // damaged or hostile file must not exhaust memory.
    static constexpr qsizetype kMaxItems = 4000000;
    static constexpr qint64 kMaxItemBytes = qint64(1) << 30;

    TTask();
    // A task should be stopped before it is destroyed; its items' workers
    // are stopped anyway when the items are freed. Frees every item.
    ~TTask() override;

    TTask(const TTask &) = delete;
    TTask &operator=(const TTask &) = delete;

    // Copies the items (as TTaskItemList::Assign does), the options, Name,
    // Note, Stopped, the URL text, FilesView, LogView and FileName from another
    // TTask; not ID nor DoneCount. Any other source is refused with the
    // assignment error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TTask"); }

    TRegOptions &Options() { return m_options; }
    const TRegOptions &Options() const { return m_options; }
    TTaskItemList &Items() { return m_items; }
    const TTaskItemList &Items() const { return m_items; }
    // The start URL; set it with URL().SetURI(text).
    TParsedUrl &URL() { return m_url; }
    const TParsedUrl &URL() const { return m_url; }

    // Plain values; each setter only stores the value.
    const QString &Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    const QString &Note() const { return m_note; }
    void SetNote(const QString &note) { m_note = note; }
    // A GUID in registry text form, braces included, given when the task is made.
    const QString &ID() const { return m_id; }
    void SetID(const QString &id) { m_id = id; }
    // Full path of the project file.
    const QString &FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

    // Run state, written on the main thread only.
    bool Stopped() const { return m_stopped; }
    void SetStopped(bool stopped) { m_stopped = stopped; }
    bool Stopping() const { return m_stopping; }
    void SetStopping(bool stopping) { m_stopping = stopping; }
    bool Shown() const { return m_shown; }
    void SetShown(bool shown) { m_shown = shown; }
    int DoneCount() const { return m_doneCount; }
    void SetDoneCount(int count) { m_doneCount = count; }

    // Sets FileName, then reads the project file and folds in its journal
    // (the items a run did after the file was last written). A file that
    // cannot be opened, that is shorter than kItemsOffset bytes, or that has
    // more than kMaxItems item lines raises EZavelonError naming the file;
    // so does any other failure to load it (memory included). Any file long
    // enough loads, whatever its first bytes.
    void LoadFromFile(const QString &path);
    // Writes the project file atomically (a temporary file beside it is
    // renamed over it, so a failure never leaves a half-written project),
    // readable by its owner only: it may hold the site's and the proxy's
    // passwords. Written to FileName while no worker runs, it also removes
    // the journal, which it now holds. Does not change FileName.
    void SaveToFile(const QString &path) const;

    // Saved pictures that the journal folded in by the last LoadFromFile
    // recorded: pictures of a run that ended without writing the project
    // file, which the image library may not have recorded yet.
    const QStringList &RecoveredPictures() const { return m_recoveredPictures; }
    // The journal of this task's project file; null while FileName is empty.
    std::shared_ptr<TTaskJournal> Journal();

    // The task name a project file holds, read from its header alone (the
    // tree shows every project of a folder without loading them): the first
    // kHeaderSize bytes, zero-filled when the file is shorter. Raises
    // EZavelonError naming a file that cannot be opened.
    static QString ReadProjectName(const QString &path);
    // The options of the project file at `path`, read from its head alone
    // (not its items). Raises EZavelonError naming the file.
    static TRegOptions ReadProjectOptions(const QString &path);

    // The same at a stream's position. Loading is meant for a fresh task:
    // the items are replaced, but DoneCount grows by the loaded done items
    // without being reset.
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;

    // ---- Run control (main thread) ----

    // Starts or resumes the run: Stopped := false; a task without items
    // gets its start item (depth 0, shown when the task is shown); then the
    // first waiting items in list order are started, at most eight. When
    // nothing is waiting and no worker runs, the run ends at once: Stopped
    // := true and OnFinished is called (a scheduled start of a finished task
    // must not leave it marked running for good).
    void Run();
    // Ends the run at once: Stopped := true, every running item's worker is
    // stopped (last item first); the items wait again. OnFinished is not
    // called. When it returns, no worker of the task touches the task, its
    // items, its views or its files any more, and the page lock is free.
    void Stop();
    // The number of running items.
    int RunningCount() const;
    // The end handler of every worker the task starts; runs on the main
    // thread after the worker ended by itself, whatever the outcome: the
    // item is done, or failed (its failure counted; the project file keeps
    // it waiting for the next run).
    void WorkerFinished(TTaskThread *worker);
    // An item whose worker was stopped after its picture was in place: the
    // item is done and the picture counted.
    void PictureSavedAtStop(TTaskItem *item);

    // This run's counts (see TRunCounts); reset when a run starts.
    const TRunCounts &RunCounts() const { return m_counts; }
    int PicturesSaved() const { return m_counts.PicturesSaved; }
    int PicturesFailed() const { return m_counts.PicturesFailed; }

    // Called when a run has ended by itself (the last worker has ended).
    using FinishedHandler = std::function<void(TTask *task)>;
    const FinishedHandler &OnFinished() const { return m_onFinished; }
    void SetOnFinished(FinishedHandler handler) { m_onFinished = std::move(handler); }

    // Serialises the page step of the task's workers (scan to last queued
    // link). Shared with the workers, which may outlive the task a moment.
    const std::shared_ptr<TPageLock> &PageLock() const { return m_pageLock; }

    // ---- Views (referenced, not owned) and their operations (main thread) ----

    TFilesView *FilesView() const { return m_filesView; }
    void SetFilesView(TFilesView *view) { m_filesView = view; }
    TLogView *LogView() const { return m_logView; }
    void SetLogView(TLogView *view) { m_logView = view; }
    TPicturesView *PicturesView() const { return m_picturesView; }
    void SetPicturesView(TPicturesView *view) { m_picturesView = view; }

    // Adds the files-view row of `item` (nothing for a null item): URL, type
    // (the extension of its document), its depth, and its Running.
    void AddItemRow(TTaskItem *item);
    // Deletes the first files-view row of `item`, if any.
    void RemoveItemRow(TTaskItem *item);
    // Sets the item's Running and shows its row so; nothing when Running
    // already has that value.
    void SetRunning(TTaskItem *item, bool running);
    // While the task is shown: the bytes the worker received and the length
    // announced for its item.
    void UpdateProgressRow(TTaskThread *worker);
    // While the task is shown and has a pictures view: the saved file's row.
    void AddPictureRow(const QString &path, qint64 size);
    // Appends "[date time] - message" to the log view, control characters
    // of the message escaped (EscapeControlChars).
    void ShowLog(const QString &message, TLogKind kind = TLogKind::Info);

private:
    // With no worker running, the run has ended: the task is stopped and
    // its finished handler told.
    void EndWhenIdle();
    void CountResult(TTaskItem *item, const TWorkResult &result);
    // Items that failed in the last run wait again.
    void ClearFailures();
    // Deletes the "!!wr" files that a crashed run left in the task's
    // folders (never one that a writer still holds).
    void RemoveStaleTemporaryFiles();
    void FoldJournal();

    const std::shared_ptr<TPageLock> m_pageLock;
    TTaskItemList m_items;
    TRegOptions m_options;
    QString m_note;
    TParsedUrl m_url;
    QString m_name = QStringLiteral("<noname>");
    std::atomic<bool> m_stopped{true};
    QString m_id;
    std::atomic<bool> m_shown{false};
    QString m_fileName;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_doneCount{0};
    TFilesView *m_filesView = nullptr;
    TLogView *m_logView = nullptr;
    TPicturesView *m_picturesView = nullptr;
    FinishedHandler m_onFinished;
    TRunCounts m_counts;
    int m_failedItems = 0;
    std::shared_ptr<TTaskJournal> m_journal;
    QStringList m_recoveredPictures;
};
