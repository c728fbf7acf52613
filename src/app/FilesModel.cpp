#include "app/FilesModel.h"

#include "widgets/AppResources.h"

#include <QTimer>

#include <algorithm>

TFilesModel::TFilesModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_flushTimer(new QTimer(this))
{
    InitAppResources();
    m_waitingIcon = QIcon(QStringLiteral(":/icons/item-waiting.svg"));
    m_runningIcon = QIcon(QStringLiteral(":/icons/item-running.svg"));
    m_headerIcon = QIcon(QStringLiteral(":/icons/item-header.svg"));
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushDelayMs);
    connect(m_flushTimer, &QTimer::timeout, this, &TFilesModel::Flush);
}

TFilesModel::~TFilesModel() = default;

// ---- The engine's calls: remembered until the next flush ---------------------------

void TFilesModel::AddItemRow(TTaskItem *item, const TFileRow &row)
{
    TRow added;
    added.Item = item;
    added.URL = row.URL;
    added.Type = row.Type;
    added.Depth = row.Depth;
    added.Running = row.Running;
    m_pendingAdds.push_back(std::move(added));
    ScheduleFlush();
}

void TFilesModel::RemoveItemRow(TTaskItem *item)
{
    // The first row of the item: a shown one not yet on its way out, else
    // one still waiting to be shown.
    const int shown = m_rowOf.contains(item) ? 1 + m_extraRows.value(item) : 0;
    if (m_pendingRemovals.value(item) < shown) {
        ++m_pendingRemovals[item];
        ScheduleFlush();
        return;
    }
    const auto pending = std::find_if(m_pendingAdds.begin(), m_pendingAdds.end(),
                                      [&](const TRow &r) { return r.Item == item; });
    if (pending != m_pendingAdds.end())
        m_pendingAdds.erase(pending);
}

void TFilesModel::SetRowRunning(TTaskItem *item, bool running)
{
    if (TRow *row = FindRow(item))
        row->Running = running;
}

void TFilesModel::UpdateProgressRow(TTaskItem *item, qint64 received, qint64 length)
{
    if (TRow *row = FindRow(item)) {
        row->Received = received;
        row->Length = length;
    }
}

TFilesModel::TRow *TFilesModel::FindRow(TTaskItem *item)
{
    const auto shown = m_rowOf.constFind(item);
    if (shown != m_rowOf.constEnd() && !m_pendingRemovals.contains(item)) {
        const int row = *shown;
        m_changedFirst = m_changedFirst < 0 ? row : std::min(m_changedFirst, row);
        m_changedLast = std::max(m_changedLast, row);
        ScheduleFlush();
        return &m_rows[size_t(row)];
    }
    const auto pending = std::find_if(m_pendingAdds.begin(), m_pendingAdds.end(),
                                      [&](const TRow &r) { return r.Item == item; });
    return pending == m_pendingAdds.end() ? nullptr : &*pending;
}

void TFilesModel::ScheduleFlush()
{
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

// ---- Reaching the view ------------------------------------------------------------

void TFilesModel::Flush()
{
    m_flushTimer->stop();
    ApplyChanges();
    ApplyRemovals();
    ApplyAdds();
}

void TFilesModel::ApplyChanges()
{
    if (m_changedFirst < 0)
        return;
    const int first = m_changedFirst;
    const int last = std::min(m_changedLast, rowCount() - 1);
    m_changedFirst = m_changedLast = -1;
    if (first <= last)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void TFilesModel::ApplyRemovals()
{
    if (m_pendingRemovals.isEmpty())
        return;
    emit layoutAboutToBeChanged();
    std::vector<int> newRowOf(m_rows.size(), -1);
    std::vector<TRow> kept;
    kept.reserve(m_rows.size());
    for (size_t row = 0; row < m_rows.size(); ++row) {
        auto removal = m_pendingRemovals.find(m_rows[row].Item);
        if (removal != m_pendingRemovals.end() && *removal > 0) {
            --*removal;
            continue;
        }
        newRowOf[row] = int(kept.size());
        kept.push_back(std::move(m_rows[row]));
    }
    m_rows = std::move(kept);
    m_pendingRemovals.clear();
    RebuildRowIndex();
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &old : from) {
        const int row = old.row() < int(newRowOf.size()) ? newRowOf[size_t(old.row())] : -1;
        to.append(row < 0 ? QModelIndex() : index(row, old.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

void TFilesModel::ApplyAdds()
{
    if (m_pendingAdds.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(m_pendingAdds.size()) - 1);
    for (TRow &row : m_pendingAdds)
        m_rows.push_back(std::move(row));
    m_pendingAdds.clear();
    RebuildRowIndex();
    endInsertRows();
}

void TFilesModel::RebuildRowIndex()
{
    m_rowOf.clear();
    m_extraRows.clear();
    m_rowOf.reserve(qsizetype(m_rows.size()));
    for (size_t row = 0; row < m_rows.size(); ++row) {
        TTaskItem *item = m_rows[row].Item;
        if (m_rowOf.contains(item))
            ++m_extraRows[item];
        else
            m_rowOf.insert(item, int(row));
    }
}

void TFilesModel::Clear()
{
    m_flushTimer->stop();
    beginResetModel();
    m_rows.clear();
    m_rowOf.clear();
    m_extraRows.clear();
    m_pendingAdds.clear();
    m_pendingRemovals.clear();
    m_changedFirst = m_changedLast = -1;
    endResetModel();
}

void TFilesModel::SetAllWaiting()
{
    for (TRow &row : m_pendingAdds)
        row.Running = false;
    if (m_rows.empty())
        return;
    for (TRow &row : m_rows)
        row.Running = false;
    emit dataChanged(index(0, ColState), index(rowCount() - 1, ColState));
}

TTaskItem *TFilesModel::ItemAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)].Item : nullptr;
}

// ---- QAbstractTableModel ------------------------------------------------------------

int TFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFilesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TRow &row = m_rows[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColUrl:
            return row.URL;
        case ColType:
            return row.Type;
        case ColSize:
            return SizeText(row.Length);
        case ColDepth:
            return QString::number(row.Depth);
        case ColCompleted:
            return PercentText(row.Received, row.Length);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (column == ColState)
            return row.Running ? m_runningIcon : m_waitingIcon;
        return {};
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        if (column == ColState)
            return row.Running ? QStringLiteral("Running") : QStringLiteral("Waiting");
        if (column == ColUrl && role == Qt::ToolTipRole)
            return row.URL;
        return {};
    case Qt::TextAlignmentRole:
        if (column >= ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case ProgressRole:
        if (column != ColCompleted || row.Length <= 0)
            return -1;
        return int(std::clamp<qint64>(row.Received * 100 / row.Length, 0, 100));
    default:
        return {};
    }
}

QVariant TFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    static const char *const captions[ColumnCount] = {"!", "From URL", "Type", "Size(b)", "Depth", "Completed"};
    switch (role) {
    case Qt::DisplayRole:
        return section == ColState ? QString() : QString::fromLatin1(captions[section]);
    case Qt::DecorationRole:
        return section == ColState ? QVariant(m_headerIcon) : QVariant();
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return QString::fromLatin1(captions[section]);
    case Qt::TextAlignmentRole:
        if (section >= ColSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}
