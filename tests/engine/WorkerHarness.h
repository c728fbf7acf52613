#pragma once

#include "engine/TaskViews.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TTask;
class TTaskItem;

// The process's QCoreApplication (made on first use; workers post into its
// event loop).
void EnsureApplication();

// Runs the event loop until `done()` holds or `timeoutMs` has passed; tells
// which. The bound is generous: it only keeps a broken run from hanging.
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 30000);
// Runs the event loop for a while (for "nothing more happens" checks).
void PumpFor(int ms);

// Records every view call of the tasks it is attached to, in order:
//   "add URL depth", "remove URL", "image URL N", "progress URL SIZE PERCENT",
//   "picture CAPTION EXT SIZE", "log MESSAGE" (the message without its date).
class TRecordingViews : public TFilesView, public TLogView, public TPicturesView
{
public:
    void Attach(TTask &task);

    void AddItemRow(TTaskItem *item, const TFileRow &row) override;
    void RemoveItemRow(TTaskItem *item) override;
    void SetRowRunning(TTaskItem *item, bool running) override;
    void UpdateProgressRow(TTaskItem *item, qint64 received, qint64 length) override;
    void AddPictureRow(const TPictureRow &row) override;
    void AppendLogLine(const QString &line, TLogKind kind) override;

    std::vector<QString> Events;
    // The kind of each log line, in order.
    std::vector<TLogKind> LogKinds;
    QStringList LogMessages() const;
    QStringList EventsStartingWith(const QString &prefix) const;
    // Items with a row in the files view, in row order.
    std::vector<TTaskItem *> Rows;
    std::vector<TFileRow> RowCells;
    // Called after each recorded event.
    std::function<void(const QString &event)> OnEvent;

private:
    void Record(const QString &event);
};
