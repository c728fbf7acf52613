#pragma once

#include "engine/TaskViews.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

#include <vector>

class QTimer;

// The files found for the shown task: one row per waiting or running item,
// under "!", "From URL", "Type", "Size(b)", "Depth", "Completed". It is the
// engine's files view; rows hold the values the engine passes and are put
// into words only in data().
//
// A crawl may list a hundred thousand items and end a dozen of them per
// second, each end removing a row somewhere in the middle. Telling the view
// of every single row would make it shift its whole row table each time, so
// changes wait here and reach the view together, about ten times a second
// (Flush() does it at once): new rows as one insertion at the end, removed
// rows as one layout change.
class TFilesModel : public QAbstractTableModel, public TFilesView
{
    Q_OBJECT

public:
    enum TColumn { ColState, ColUrl, ColType, ColSize, ColDepth, ColCompleted, ColumnCount };
    // The progress of a row in percent (0 to 100), or -1 while no length is
    // known; what the progress delegate draws.
    static constexpr int ProgressRole = Qt::UserRole;
    // Pending changes reach the view at most this long after they were made.
    static constexpr int kFlushDelayMs = 100;

    explicit TFilesModel(QObject *parent = nullptr);
    ~TFilesModel() override;

    // ---- TFilesView -------------------------------------------------------
    void AddItemRow(TTaskItem *item, const TFileRow &row) override;
    void RemoveItemRow(TTaskItem *item) override;
    void SetRowRunning(TTaskItem *item, bool running) override;
    void UpdateProgressRow(TTaskItem *item, qint64 received, qint64 length) override;

    // Removes every row, pending ones too.
    void Clear();
    // Applies the pending changes now.
    void Flush();
    // Every row shows the waiting image.
    void SetAllWaiting();
    // The item of a row, for the row's owner to recognise it; never read
    // through (the item may be gone once its row is).
    TTaskItem *ItemAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct TRow {
        TTaskItem *Item = nullptr;
        QString URL;
        QString Type;
        int Depth = 0;
        bool Running = false;
        qint64 Received = 0;
        qint64 Length = 0;
    };

    // The shown row of `item`, else its pending row; null when it has none.
    TRow *FindRow(TTaskItem *item);
    void ScheduleFlush();
    void ApplyRemovals();
    void ApplyAdds();
    void ApplyChanges();
    void RebuildRowIndex();

    std::vector<TRow> m_rows;
    // The first shown row of each item, valid between flushes: shown rows
    // only move when a flush removes some.
    QHash<TTaskItem *, int> m_rowOf;
    // Items shown in more than one row (rare): how many rows beyond the first.
    QHash<TTaskItem *, int> m_extraRows;
    std::vector<TRow> m_pendingAdds;
    // Shown rows to remove at the next flush, by item (the first rows).
    QHash<TTaskItem *, int> m_pendingRemovals;
    int m_changedFirst = -1;
    int m_changedLast = -1;
    QTimer *m_flushTimer = nullptr;
    QIcon m_waitingIcon;
    QIcon m_runningIcon;
    QIcon m_headerIcon;
};
