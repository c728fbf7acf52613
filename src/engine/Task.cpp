#include "engine/Task.h"

#include "engine/AsciiText.h"
#include "engine/FileNames.h"
#include "engine/MaskEntry.h"
#include "engine/PageLock.h"
#include "engine/TaskJournal.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"
#include "engine/TaskViews.h"
#include "engine/WriteFiles.h"

#include <QDir>

namespace {

// Workers one Run starts, and the number of running workers below which an
// ending worker is replaced.
constexpr int kRunStarts = 8;
constexpr int kKeepRunning = 7;

} // namespace

TTask::TTask()
    : m_pageLock(std::make_shared<TPageLock>())
    , m_items(this)
{
}

TTask::~TTask()
{
    m_items.DeleteAll();
}

void TTask::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTask *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    m_url.SetURI(other->URL().URI());
    m_items.Assign(other->Items());
    m_options.Assign(other->Options());
    m_name = other->Name();
    m_note = other->Note();
    m_stopped = other->Stopped();
    m_filesView = other->FilesView();
    m_logView = other->LogView();
    m_fileName = other->FileName();
}

// ---- Run control -----------------------------------------------------------

void TTask::Run()
{
    SetStopped(false);
    m_counts = TRunCounts();
    ClearFailures();
    RemoveStaleTemporaryFiles();
    if (m_items.Count() == 0) {
        auto *start = new TTaskItem(this, m_url.URI());
        start->SetDepth(0);
        if (Shown())
            AddItemRow(start);
        if (m_items.Get(m_items.AddSorted(start)) != start)
            delete start;
    }
    for (int started = 0; started < kRunStarts; ++started) {
        TTaskItem *item = m_items.FirstWaiting();
        if (!item || !item->Start())
            break;
    }
    EndWhenIdle();
}

void TTask::Stop()
{
    SetStopped(true);
    SetStopping(true);
    for (int index = m_items.Count() - 1; index >= 0; --index) {
        TTaskItem *item = m_items.Get(index);
        if (item->Running())
            item->StopWorker();
    }
    SetStopping(false);
}

void TTask::EndWhenIdle()
{
    if (RunningCount() != 0)
        return;
    SetStopped(true);
    if (m_onFinished)
        m_onFinished(this);
}

int TTask::RunningCount() const
{
    return m_items.RunningCount();
}

void TTask::WorkerFinished(TTaskThread *worker)
{
    if (!worker)
        return;
    TTaskItem *item = worker->Item();
    if (!m_items.Contains(item)) {
        // The list was cleared under the worker (a restart that kept the
        // items): its end belongs to no run of this task any more.
        item->SetRunning(false);
        return;
    }
    CountResult(item, worker->Result());
    SetRunning(item, false);
    RemoveItemRow(item);
    worker->Release();
    if (!Stopping() && !Stopped()) {
        // The waiting items in list order while fewer than seven run; the
        // list answers both questions without a walk.
        while (RunningCount() < kKeepRunning) {
            TTaskItem *next = m_items.FirstWaiting();
            if (!next || !next->Start())
                break;
        }
    }
    EndWhenIdle();
}

void TTask::CountResult(TTaskItem *item, const TWorkResult &result)
{
    if (result.Kind != TWorkResult::Failed) {
        item->SetDone(true);
        SetDoneCount(DoneCount() + 1);
        if (result.Kind == TWorkResult::Saved)
            ++m_counts.PicturesSaved;
        return;
    }
    item->SetFailed(true);
    ++m_failedItems;
    ++(result.Picture ? m_counts.PicturesFailed : m_counts.PagesFailed);
    if (result.Local) {
        if (m_counts.LocalFailures++ == 0)
            m_counts.FirstLocalFailure = result.Failure;
    } else if (item->Depth() == 0 && m_counts.StartFailure.isEmpty()) {
        m_counts.StartFailure = result.Failure;
    }
}

void TTask::PictureSavedAtStop(TTaskItem *item)
{
    TWorkResult saved;
    saved.Kind = TWorkResult::Saved;
    saved.Picture = true;
    CountResult(item, saved);
    RemoveItemRow(item);
}

void TTask::ClearFailures()
{
    if (m_failedItems == 0)
        return;
    for (TTaskItem *item : m_items.ToList())
        if (item->Failed())
            item->SetFailed(false);
    m_failedItems = 0;
}

void TTask::RemoveStaleTemporaryFiles()
{
    QStringList folders{m_options.DefaultFolder};
    for (const QString &mask : m_options.FileMasks)
        folders << AddBackslash(m_options.DefaultFolder + SplitMaskEntry(mask).Folder);
    folders.removeDuplicates();
    int removed = 0;
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*!!wr")}, QDir::Files | QDir::Hidden | QDir::System))
            removed += RemoveUnheldFile(dir.filePath(name)) ? 1 : 0;
    }
    if (removed > 0)
        ShowLog(QStringLiteral("Removed %1 unfinished file(s) of an earlier run").arg(removed));
}

std::shared_ptr<TTaskJournal> TTask::Journal()
{
    if (m_fileName.isEmpty())
        return nullptr;
    if (!m_journal || m_journal->ProjectFile() != m_fileName)
        m_journal = std::make_shared<TTaskJournal>(m_fileName);
    return m_journal;
}

// ---- View operations -------------------------------------------------------

void TTask::AddItemRow(TTaskItem *item)
{
    if (!item || !m_filesView)
        return;
    TFileRow row;
    row.Running = item->Running();
    row.URL = item->URL().URI();
    row.Type = TTaskThread::ExtractFileExt(item->URL().Document());
    row.Depth = item->Depth();
    m_filesView->AddItemRow(item, row);
}

void TTask::RemoveItemRow(TTaskItem *item)
{
    if (m_filesView)
        m_filesView->RemoveItemRow(item);
}

void TTask::SetRunning(TTaskItem *item, bool running)
{
    if (item->Running() == running)
        return;
    item->SetRunning(running);
    if (m_filesView)
        m_filesView->SetRowRunning(item, running);
}

void TTask::UpdateProgressRow(TTaskThread *worker)
{
    if (!Shown() || !m_filesView || !worker)
        return;
    m_filesView->UpdateProgressRow(worker->Item(), worker->Received(), worker->Length());
}

void TTask::AddPictureRow(const QString &path, qint64 size)
{
    if (m_picturesView && Shown())
        m_picturesView->AddPictureRow(TPictureRow{path, size});
}

void TTask::ShowLog(const QString &message, TLogKind kind)
{
    // URLs and names come from web pages: no control character of theirs
    // reaches a terminal or the log view raw.
    if (m_logView)
        m_logView->AppendLogLine(LogLine(EscapeControlChars(message)), kind);
}
