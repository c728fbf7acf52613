#pragma once

#include "engine/TaskViews.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class QTimer;
class TExtensionIcons;

// The downloaded pictures of the shown task, under "Name", "Ext", "Size":
// one row per file, holding its full path, its byte count and the index of
// its icon, put into words in data() ("12 KB"). It is the engine's pictures
// view. Rows keep the order they were given in; TPicturesSortProxy orders
// them for the list.
//
// A crawl saves hundreds of pictures a second. Each inserted row makes the
// sorted list lay out all of its rows again, so pictures the engine adds
// wait here and reach the view together, about ten times a second (Flush()
// does it at once).
class TPicturesModel : public QAbstractTableModel, public TPicturesView
{
    Q_OBJECT

public:
    enum TColumn { ColName, ColExt, ColSize, ColumnCount };
    // The row's full path.
    static constexpr int PathRole = Qt::UserRole;
    // The row's size in bytes, for sorting by the number.
    static constexpr int BytesRole = Qt::UserRole + 1;

    // A listed file. A row the engine adds while its task runs has no icon
    // (-1).
    struct TRow {
        QString FileName;
        qint64 Size = 0;
        int Icon = -1;
    };

    static constexpr int kFlushDelayMs = 100;

    explicit TPicturesModel(QObject *parent = nullptr);

    // Where the icon indexes of the rows point; none shows no icons.
    void SetIcons(const TExtensionIcons *icons) { m_icons = icons; }

    void AddPictureRow(const TPictureRow &row) override;
    // Shows the added rows that wait, now.
    void Flush();
    // Replaces every row at once, waiting ones too.
    void SetRows(std::vector<TRow> rows);
    void Clear();
    // Removes the rows of these (source) numbers, in any order; numbers out
    // of range are skipped.
    void RemoveRows(std::vector<int> rows);

    // The full path of a row.
    QString FileName(int row) const;
    const TRow &Row(int row) const { return m_rows[size_t(row)]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<TRow> m_rows;
    std::vector<TRow> m_pending;
    QTimer *m_flushTimer;
    const TExtensionIcons *m_icons = nullptr;
};
