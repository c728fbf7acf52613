#pragma once

#include "engine/TaskViews.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

// The downloaded pictures of the shown task, under "Name", "Ext", "Size":
// one row per file, holding its full path and its byte count, put into
// words in data() ("12 KB"). It is the engine's pictures view.
class TPicturesModel : public QAbstractTableModel, public TPicturesView
{
    Q_OBJECT

public:
    enum TColumn { ColName, ColExt, ColSize, ColumnCount };
    // The row's full path.
    static constexpr int PathRole = Qt::UserRole;
    // The row's size in bytes, for sorting by the number.
    static constexpr int BytesRole = Qt::UserRole + 1;

    explicit TPicturesModel(QObject *parent = nullptr);

    void AddPictureRow(const TPictureRow &row) override;
    void Clear();
    // The full path of a row.
    QString FileName(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct TRow {
        QString FileName;
        qint64 Size = 0;
    };
    std::vector<TRow> m_rows;
};
