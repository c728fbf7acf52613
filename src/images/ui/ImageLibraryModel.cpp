#include "images/ui/ImageLibraryModel.h"

#include "engine/TaskViews.h"
#include "images/ImageDetail.h"
#include "imaging/PictureFormat.h"

#include <QFileIconProvider>
#include <QFileInfo>

#include <algorithm>

namespace {

// Runs of more than this many rows to remove make a reset cheaper than
// erasing run by run from a long list.
constexpr size_t kMaxRemovalRuns = 64;

QString NameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TImageLibraryModel::TImageLibraryModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_iconSource([](const QString &path) {
        // A file that has gone has no icon of its own; a row without one
        // would also make every row of the list shorter.
        const QFileIconProvider provider;
        const QIcon icon = provider.icon(QFileInfo(path));
        return icon.isNull() ? provider.icon(QAbstractFileIconProvider::File) : icon;
    })
{
}

void TImageLibraryModel::Clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void TImageLibraryModel::Append(const std::vector<const TImageDetail *> &records)
{
    if (records.empty())
        return;
    const int first = Count();
    beginInsertRows(QModelIndex(), first, first + int(records.size()) - 1);
    m_rows.reserve(m_rows.size() + records.size());
    for (const TImageDetail *record : records)
        m_rows.push_back({record, IconOf(record->FileName)});
    endInsertRows();
}

int TImageLibraryModel::IconOf(const QString &path)
{
    const QString extension = PictureExtension(path);
    const auto known = m_extensions.constFind(extension);
    if (known != m_extensions.cend())
        return known.value();
    const int icon = int(m_icons.size());
    m_icons.append(m_iconSource ? m_iconSource(path) : QIcon());
    m_extensions.insert(extension, icon);
    return icon;
}

void TImageLibraryModel::RemoveRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int row) { return row < 0 || row >= Count(); }),
               rows.end());
    if (rows.empty())
        return;
    // Runs of consecutive rows, first row and length, from the last.
    std::vector<std::pair<int, int>> runs;
    for (int row : rows) {
        if (!runs.empty() && runs.back().first + runs.back().second == row)
            ++runs.back().second;
        else
            runs.push_back({row, 1});
    }
    if (runs.size() > kMaxRemovalRuns) {
        beginResetModel();
        std::vector<TRow> kept;
        kept.reserve(m_rows.size() - rows.size());
        size_t next = 0;
        for (size_t row = 0; row < m_rows.size(); ++row) {
            if (next < rows.size() && size_t(rows[next]) == row)
                ++next;
            else
                kept.push_back(m_rows[row]);
        }
        m_rows = std::move(kept);
        endResetModel();
        return;
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows(QModelIndex(), run->first, run->first + run->second - 1);
        m_rows.erase(m_rows.begin() + run->first, m_rows.begin() + run->first + run->second);
        endRemoveRows();
    }
}

const TImageDetail *TImageLibraryModel::Record(int row) const
{
    return row >= 0 && row < Count() ? m_rows[size_t(row)].Record : nullptr;
}

QString TImageLibraryModel::FileName(int row) const
{
    const TImageDetail *record = Record(row);
    return record ? record->FileName : QString();
}

QStringList TImageLibraryModel::FileNames() const
{
    QStringList names;
    names.reserve(Count());
    for (const TRow &row : m_rows)
        names.append(row.Record->FileName);
    return names;
}

int TImageLibraryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TImageLibraryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TImageLibraryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TRow &row = m_rows[size_t(index.row())];
    const TImageDetail &record = *row.Record;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColFullName:
            return record.FileName;
        case ColName:
            return NameOf(record.FileName);
        case ColSize:
            return KiloBytesText(record.FileSize);
        case ColWidth:
            return QString::number(record.Width);
        default:
            return QString::number(record.Height);
        }
    case Qt::DecorationRole:
        if (index.column() == ColFullName && row.Icon >= 0 && row.Icon < m_icons.size())
            return m_icons.at(row.Icon);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole:
    case PathRole:
        return record.FileName;
    default:
        return {};
    }
}

QVariant TImageLibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[ColumnCount] = {"Filename(full)", "Filename", "Size", "Width", "Height"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(captions[section]);
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
