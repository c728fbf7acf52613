#include "app/ReportModel.h"

#include "widgets/AppResources.h"

TReportModel::TReportModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    InitAppResources();
    m_icon = QIcon(QStringLiteral(":/icons/report.svg"));
}

QString TReportModel::FinishedFoundText(int done, int found)
{
    return QStringLiteral("%1/%2").arg(done).arg(found);
}

void TReportModel::Fill(const QString &name, const QString &url, int done, int found)
{
    beginResetModel();
    m_filled = true;
    m_name = name;
    m_url = url;
    m_done = done;
    m_found = found;
    endResetModel();
}

void TReportModel::UpdateFiles(int done, int found)
{
    if (!m_filled || (done == m_done && found == m_found))
        return;
    m_done = done;
    m_found = found;
    emit dataChanged(index(2, 1), index(2, 1), {Qt::DisplayRole});
}

void TReportModel::Clear()
{
    if (!m_filled)
        return;
    beginResetModel();
    m_filled = false;
    endResetModel();
}

int TReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_filled ? 0 : 3;
}

int TReportModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant TReportModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DecorationRole)
        return index.column() == 0 ? QVariant(m_icon) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    static const char *const names[3] = {"Name", "URL", "Files"};
    static const char *const descriptions[3] = {"Name of project", "Primary URL", "Finished/Found"};
    const int row = index.row();
    switch (index.column()) {
    case 0:
        return QString::fromLatin1(names[row]);
    case 1:
        return row == 0 ? m_name : row == 1 ? m_url : FinishedFoundText(m_done, m_found);
    default:
        return QString::fromLatin1(descriptions[row]);
    }
}

QVariant TReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const captions[3] = {"Name", "Value", "Description"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return QString::fromLatin1(captions[section]);
    return {};
}
