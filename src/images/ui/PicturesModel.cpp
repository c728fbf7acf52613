#include "images/ui/PicturesModel.h"

#include <QFileInfo>

TPicturesModel::TPicturesModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void TPicturesModel::AddPictureRow(const TPictureRow &row)
{
    const int at = int(m_rows.size());
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back({row.FileName, row.Size});
    endInsertRows();
}

void TPicturesModel::Clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString TPicturesModel::FileName(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)].FileName : QString();
}

int TPicturesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TPicturesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPicturesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: {
        const QString name = QFileInfo(row.FileName).fileName();
        switch (index.column()) {
        case ColName:
            return name;
        case ColExt:
            return FileNameExtension(name);
        default:
            return KiloBytesText(row.Size);
        }
    }
    case Qt::TextAlignmentRole:
        if (index.column() == ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
    case PathRole:
        return row.FileName;
    case BytesRole:
        return row.Size;
    default:
        return {};
    }
}

QVariant TPicturesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[ColumnCount] = {"Name", "Ext", "Size"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(captions[section]);
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
