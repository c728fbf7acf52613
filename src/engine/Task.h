#pragma once

#include "engine/ParsedUrl.h"
#include "engine/Persistent.h"
#include "engine/RegOptions.h"
#include "engine/TaskItemList.h"
#include "engine/TaskViews.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QIODevice;
class TPageLock;
class TTaskThread;

// One download job: a start URL, a name, a note, its own options and the
// growing list of URLs found for it. Each task lives in a project file of its
// own (".wrp"): a 5136-byte header, the options block, then one text line per
// item. The task owns its options, its items and its start URL.
//
// Running (main thread only): Run starts workers (TTaskThread) for the first
// waiting items in list order, at most eight; each worker's end comes back
// to WorkerFinished, which marks its item done and starts waiting items while
// fewer than seven run; when none runs any more the task is stopped and
// OnFinished is called. Stop ends every worker at once (see TTaskThread for
// what it guarantees). The task shows its work only through its three views
// (see TaskViews.h), which it refers to and does not own.
class TTask : public TPersistent
{
public:
    static constexpr qsizetype kHeaderSize = 5136;
    // Where the item lines start; also the shortest file that loads.
    static constexpr qsizetype kItemsOffset = kHeaderSize + TRegOptions::kBlockSize;

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

    // Sets FileName, then reads the project file. A file that cannot be
    // opened, or that is shorter than kItemsOffset bytes, raises EZavelonError
    // naming the file (and its size); the task is then unchanged apart from
    // FileName. Any file that long loads, whatever its first bytes.
    void LoadFromFile(const QString &path);
    // Writes the project file atomically: a temporary file beside it is
    // renamed over it, so a failure never leaves a half-written project.
    // Does not change FileName.
    void SaveToFile(const QString &path) const;

    // The task name a project file holds, read from its header alone (the
    // tree shows every project of a folder without loading them): the first
    // kHeaderSize bytes, zero-filled when the file is shorter. Raises
    // EZavelonError naming a file that cannot be opened.
    static QString ReadProjectName(const QString &path);

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
    // thread after the worker ended by itself, whatever the outcome.
    void WorkerFinished(TTaskThread *worker);

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
    // Appends "[date time] - message" to the log view.
    void ShowLog(const QString &message, TLogKind kind = TLogKind::Info);

private:
    // With no worker running, the run has ended: the task is stopped and
    // its finished handler told.
    void EndWhenIdle();

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
};
