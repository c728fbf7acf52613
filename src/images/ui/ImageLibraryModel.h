#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QStringList>

#include <functional>
#include <vector>

class TImageDetail;

// The records of the image library as the library window lists them, under
// "Filename(full)", "Filename", "Size", "Width", "Height". A row refers to
// its record (the library keeps every record alive, removed ones too, for
// its whole life) and to the icon of its extension; the texts are made in
// data(), so a library of 100,000 records costs two words per row.
//
// Icons: one per extension (letter case ignored), taken from the file of
// the first row that has it, when that row is appended.
class TImageLibraryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum TColumn { ColFullName, ColName, ColSize, ColWidth, ColHeight, ColumnCount };
    // The row's full path.
    static constexpr int PathRole = Qt::UserRole;

    // Where icons come from: by default the desktop's icon of the file.
    using TIconSource = std::function<QIcon(const QString &path)>;

    explicit TImageLibraryModel(QObject *parent = nullptr);
    void SetIconSource(TIconSource source) { m_iconSource = std::move(source); }

    void Clear();
    // Appends one row per record, in order, as one insertion.
    void Append(const std::vector<const TImageDetail *> &records);
    // Removes the rows (any order, no duplicates needed): contiguous runs
    // each as one removal, or the whole list anew when they are scattered.
    void RemoveRows(std::vector<int> rows);

    int Count() const { return int(m_rows.size()); }
    const TImageDetail *Record(int row) const;
    // The row's caption: its record's full path.
    QString FileName(int row) const;
    // Every row's caption, in list order.
    QStringList FileNames() const;
    // Icons made so far (one per extension seen).
    int IconCount() const { return int(m_icons.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct TRow {
        const TImageDetail *Record = nullptr;
        int Icon = -1;
    };
    int IconOf(const QString &path);

    std::vector<TRow> m_rows;
    QHash<QString, int> m_extensions; // lower-cased extension -> index into m_icons
    QList<QIcon> m_icons;
    TIconSource m_iconSource;
};
