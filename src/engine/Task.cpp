#include "engine/Task.h"

#include "engine/PageLock.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"
#include "engine/TaskViews.h"

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
    item->SetDone(true);
    SetDoneCount(DoneCount() + 1);
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
    if (m_logView)
        m_logView->AppendLogLine(LogLine(message), kind);
}
