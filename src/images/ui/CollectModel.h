#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QString>

#include <vector>

// What "&Select" ticks in the collect window.
struct TCollectFilter {
    // The ticked formats, as extensions (".gif", ".jpeg", ...).
    QSet<QString> Formats;
    bool LimitImageSize = false;
    int MinWidth = 300;
    int MinHeight = 300;
    bool LimitFileSize = false;
    int MinKiloBytes = 100;

    // The nine formats the window offers, in its order.
    static const QStringList &AllFormats();
};

// The pictures of a task's "Saved" folder in the collect window, under
// "Name", "Extname", "Size", "Width", "Height", each row with a check box.
// Rows hold raw values (bytes, pixels) and put them into words in data();
// width and height come later, from the library, when it knows the file.
class TCollectModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum TColumn { ColName, ColExt, ColSize, ColWidth, ColHeight, ColumnCount };
    // The row's full path.
    static constexpr int PathRole = Qt::UserRole;

    struct TRow {
        QString Path;
        QString Name;
        QString Ext;  // as the file system gives it, dot included
        qint64 Size = 0;
        bool Known = false; // the library knows the file: Width and Height hold
        qint32 Width = 0;
        qint32 Height = 0;
        bool Checked = false;
    };

    explicit TCollectModel(QObject *parent = nullptr);

    // Replaces the rows by the entries of `folder` (every name but ".",
    // ".." and those holding "!!wr", in name order), unchecked, without
    // width or height.
    void ListFolder(const QString &folder);
    const std::vector<TRow> &Rows() const { return m_rows; }
    int Count() const { return int(m_rows.size()); }

    // The library's width and height of one row.
    void SetPixelSize(int row, qint32 width, qint32 height);
    void SetChecked(int row, bool checked);
    // Ticks the rows `filter` selects and unticks the others.
    void Select(const TCollectFilter &filter);
    void Unselect();
    // The checked rows' indices, in order.
    std::vector<int> CheckedRows() const;

    // Whether `filter` ticks `row` (the rules of "&Select").
    static bool Selects(const TCollectFilter &filter, const TRow &row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void ChecksChanged();

    std::vector<TRow> m_rows;
};
