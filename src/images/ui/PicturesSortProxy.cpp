#include "images/ui/PicturesSortProxy.h"

#include "images/ui/ExtensionIcons.h"
#include "images/ui/PicturesModel.h"

#include <QIcon>

namespace {

QStringView NameOf(const QString &path)
{
    return QStringView(path).mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringView ExtensionOf(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? name.mid(dot) : QStringView();
}

// UTF-16 units ordered so that the texts compare as their UTF-8 bytes do
// (by code point): surrogates move above the rest of the basic plane.
int CodePointRank(char16_t unit)
{
    if (unit >= 0xE000)
        return unit - 0x800;
    if (unit >= 0xD800)
        return unit + 0x2000;
    return unit;
}

// Byte-wise comparison of the texts' UTF-8 forms, without making them.
int CompareBytes(QStringView left, QStringView right)
{
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (left[i] != right[i])
            return CodePointRank(left[i].unicode()) < CodePointRank(right[i].unicode()) ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

int CompareNumbers(qint64 left, qint64 right)
{
    return left == right ? 0 : (left < right ? -1 : 1);
}

} // namespace

TPicturesSortProxy::TPicturesSortProxy(TPicturesModel *source, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_source(source)
{
    setDynamicSortFilter(false);
    setSourceModel(source);
    // Always "sorted" on column 0 through Compare(); with no mode every row
    // compares equal, so the rows keep their order.
    sort(0, Qt::AscendingOrder);
}

void TPicturesSortProxy::SetMode(TMode mode)
{
    m_mode = mode;
}

TPicturesSortProxy::TMark TPicturesSortProxy::Mark(int column) const
{
    return column >= 0 && column < int(m_marks.size()) ? m_marks[size_t(column)] : NoMark;
}

void TPicturesSortProxy::ClickMark(int column)
{
    if (column < 0 || column >= int(m_marks.size()))
        return;
    const TMark next = m_marks[size_t(column)] == Ascending ? Descending : Ascending;
    m_marks.fill(NoMark);
    m_marks[size_t(column)] = next;
    emit headerDataChanged(Qt::Horizontal, 0, int(m_marks.size()) - 1);
}

void TPicturesSortProxy::SortOnce()
{
    // QSortFilterProxyModel skips a sort by the column and order it already
    // has while sorting dynamically; the order of the keys may have changed
    // since (another mode, another mark).
    const bool automatic = dynamicSortFilter();
    setDynamicSortFilter(false);
    sort(0, Qt::AscendingOrder);
    setDynamicSortFilter(automatic);
}

TPicturesSortProxy::TMode TPicturesSortProxy::ModeOfColumn(int column)
{
    switch (column) {
    case TPicturesModel::ColName:
        return ByName;
    case TPicturesModel::ColExt:
        return ByType;
    case TPicturesModel::ColSize:
        return BySize;
    default:
        return Unsorted;
    }
}

QVariant TPicturesSortProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DecorationRole && orientation == Qt::Horizontal && m_icons) {
        switch (Mark(section)) {
        case Ascending:
            return m_icons->Icon(TExtensionIcons::AscendingMark);
        case Descending:
            return m_icons->Icon(TExtensionIcons::DescendingMark);
        case NoMark:
            break;
        }
    }
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

int TPicturesSortProxy::CompareKeys(int left, int right) const
{
    const TPicturesModel::TRow &a = m_source->Row(left);
    const TPicturesModel::TRow &b = m_source->Row(right);
    switch (m_mode) {
    case ByName:
        return CompareBytes(NameOf(a.FileName), NameOf(b.FileName));
    case ByType:
        return CompareBytes(ExtensionOf(NameOf(a.FileName)), ExtensionOf(NameOf(b.FileName)));
    case BySize:
        // The whole kilobytes the list shows, not the bytes.
        return CompareNumbers(a.Size / 1024, b.Size / 1024);
    case Unsorted:
        break;
    }
    return 0;
}

int TPicturesSortProxy::Compare(int left, int right) const
{
    const int result = CompareKeys(left, right);
    const int ownColumn = m_mode == ByName ? 0 : m_mode == ByType ? 1 : m_mode == BySize ? 2 : -1;
    return Mark(ownColumn) == Descending ? -result : result;
}

bool TPicturesSortProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return Compare(left.row(), right.row()) < 0;
}
