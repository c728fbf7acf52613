#include "images/ui/PicturesModel.h"

#include "images/ui/ExtensionIcons.h"

#include <QIcon>
#include <QTimer>

#include <algorithm>

namespace {

QString NameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TPicturesModel::TPicturesModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_flushTimer(new QTimer(this))
{
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushDelayMs);
    connect(m_flushTimer, &QTimer::timeout, this, &TPicturesModel::Flush);
}

void TPicturesModel::AddPictureRow(const TPictureRow &row)
{
    m_pending.push_back({row.FileName, row.Size, -1});
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TPicturesModel::Flush()
{
    m_flushTimer->stop();
    if (m_pending.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(m_pending.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(m_pending.begin()), std::make_move_iterator(m_pending.end()));
    m_pending.clear();
    endInsertRows();
}

void TPicturesModel::SetRows(std::vector<TRow> rows)
{
    m_flushTimer->stop();
    m_pending.clear();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void TPicturesModel::Clear()
{
    m_flushTimer->stop();
    m_pending.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void TPicturesModel::RemoveRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the last run of neighbouring rows to the first, one removal per
    // run, so the numbers of the runs still to come stay valid.
    auto end = rows.end();
    while (end != rows.begin()) {
        auto first = end - 1;
        while (first != rows.begin() && *(first - 1) == *first - 1)
            --first;
        const int from = *first;
        const int to = *(end - 1);
        end = first;
        if (from < 0 || to >= rowCount())
            continue;
        beginRemoveRows(QModelIndex(), from, to);
        m_rows.erase(m_rows.begin() + from, m_rows.begin() + to + 1);
        endRemoveRows();
    }
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
        const QString name = NameOf(row.FileName);
        switch (index.column()) {
        case ColName:
            return name;
        case ColExt:
            return FileNameExtension(name);
        default:
            return KiloBytesText(row.Size);
        }
    }
    case Qt::DecorationRole:
        if (index.column() == ColName && m_icons && row.Icon >= 0)
            return m_icons->Icon(row.Icon);
        return {};
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
