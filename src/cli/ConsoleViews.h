#pragma once

#include "engine/TaskViews.h"

#include <functional>

class TTask;

// The views of a headless run.

// The live progress line on stderr (a terminal only): items done of items
// found, running workers, bytes saved. Log lines on stdout clear it first
// and it is drawn again after them.
class TProgressLine
{
public:
    explicit TProgressLine(bool enabled)
        : m_enabled(enabled)
    {
    }
    bool Enabled() const { return m_enabled; }
    void Draw(const TTask &task, qint64 savedBytes);
    void Clear();

private:
    bool m_enabled;
    bool m_drawn = false;
};

// Log lines on stdout, or nowhere. When stdout goes away (a broken pipe) the
// run is told once and nothing more is written.
class TConsoleLog : public TLogView
{
public:
    TConsoleLog(TProgressLine &progress, bool print, std::function<void()> onBrokenPipe);
    void AppendLogLine(const QString &line, TLogKind kind) override;

private:
    TProgressLine &m_progress;
    bool m_print;
    std::function<void()> m_onBrokenPipe;
    bool m_broken = false;
};

// Rows are not drawn; a run only needs to know how much it saved.
class TSavedPictures : public TPicturesView
{
public:
    void AddPictureRow(const TPictureRow &row) override { Bytes += row.Size; }
    qint64 Bytes = 0;
};

class TNoFilesView : public TFilesView
{
public:
    void AddItemRow(TTaskItem *, const TFileRow &) override {}
    void RemoveItemRow(TTaskItem *) override {}
    void SetRowRunning(TTaskItem *, bool) override {}
    void UpdateProgressRow(TTaskItem *, qint64, qint64) override {}
};
