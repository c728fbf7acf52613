#include "images/ui/CollectModel.h"

#include "engine/TaskViews.h"
#include "imaging/PictureFormat.h"

#include <QDir>
#include <QFileInfo>

const QStringList &TCollectFilter::AllFormats()
{
    static const QStringList formats = {
        QStringLiteral(".gif"), QStringLiteral(".jpg"), QStringLiteral(".jpeg"),
        QStringLiteral(".tif"), QStringLiteral(".tiff"), QStringLiteral(".bmp"),
        QStringLiteral(".pcx"), QStringLiteral(".png"), QStringLiteral(".wmf"),
    };
    return formats;
}

TCollectModel::TCollectModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void TCollectModel::ListFolder(const QString &folder)
{
    std::vector<TRow> rows;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    rows.reserve(size_t(entries.size()));
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        // Files being written (a download, a copy) are not pictures yet.
        if (name.contains(QLatin1String("!!wr")))
            continue;
        TRow row;
        row.Path = entry.filePath();
        row.Name = name;
        row.Ext = FileNameExtension(name);
        row.Size = entry.size();
        rows.push_back(std::move(row));
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void TCollectModel::SetPixelSize(int row, qint32 width, qint32 height)
{
    if (row < 0 || row >= Count())
        return;
    TRow &item = m_rows[size_t(row)];
    item.Known = true;
    item.Width = width;
    item.Height = height;
    emit dataChanged(index(row, ColWidth), index(row, ColHeight), {Qt::DisplayRole});
}

void TCollectModel::SetChecked(int row, bool checked)
{
    if (row < 0 || row >= Count() || m_rows[size_t(row)].Checked == checked)
        return;
    m_rows[size_t(row)].Checked = checked;
    const QModelIndex cell = index(row, ColName);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void TCollectModel::Select(const TCollectFilter &filter)
{
    for (TRow &row : m_rows)
        row.Checked = Selects(filter, row);
    ChecksChanged();
}

void TCollectModel::Unselect()
{
    for (TRow &row : m_rows)
        row.Checked = false;
    ChecksChanged();
}

std::vector<int> TCollectModel::CheckedRows() const
{
    std::vector<int> checked;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].Checked)
            checked.push_back(int(row));
    }
    return checked;
}

bool TCollectModel::Selects(const TCollectFilter &filter, const TRow &row)
{
    const QString extension = PictureExtension(row.Path);
    if (!TCollectFilter::AllFormats().contains(extension) || !filter.Formats.contains(extension))
        return false;
    if (filter.LimitImageSize) {
        // A file the library does not know counts as 0 x 0.
        const qint32 width = row.Known ? row.Width : 0;
        const qint32 height = row.Known ? row.Height : 0;
        if (width < filter.MinWidth || height < filter.MinHeight)
            return false;
    }
    // The size as the list shows it: whole kilobytes.
    if (filter.LimitFileSize && row.Size / 1024 < filter.MinKiloBytes)
        return false;
    return true;
}

void TCollectModel::ChecksChanged()
{
    if (!m_rows.empty())
        emit dataChanged(index(0, ColName), index(Count() - 1, ColName), {Qt::CheckStateRole});
}

int TCollectModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TCollectModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TCollectModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColName:
            return row.Name;
        case ColExt:
            return row.Ext;
        case ColSize:
            return KiloBytesText(row.Size);
        case ColWidth:
            return row.Known ? QVariant(QString::number(row.Width)) : QVariant();
        default:
            return row.Known ? QVariant(QString::number(row.Height)) : QVariant();
        }
    case Qt::CheckStateRole:
        if (index.column() == ColName)
            return row.Checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() >= ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
    case PathRole:
        return row.Path;
    default:
        return {};
    }
}

bool TCollectModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != ColName ||
        !index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TCollectModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == ColName)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant TCollectModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[ColumnCount] = {"Name", "Extname", "Size", "Width", "Height"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(captions[section]);
    if (role == Qt::TextAlignmentRole && section >= ColSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
