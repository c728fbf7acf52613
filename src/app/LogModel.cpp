#include "app/LogModel.h"

#include <QColor>
#include <QFont>
#include <QTimer>

TLogModel::TLogModel(QObject *parent)
    : QAbstractListModel(parent)
    , m_flushTimer(new QTimer(this))
{
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushDelayMs);
    connect(m_flushTimer, &QTimer::timeout, this, &TLogModel::Flush);
}

void TLogModel::AppendLogLine(const QString &line, TLogKind kind)
{
    m_pending.push_back({line.toUtf8(), kind});
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TLogModel::Flush()
{
    m_flushTimer->stop();
    if (m_pending.empty())
        return;
    const int first = int(m_lines.size());
    beginInsertRows(QModelIndex(), first, first + int(m_pending.size()) - 1);
    m_lines.insert(m_lines.end(), std::make_move_iterator(m_pending.begin()), std::make_move_iterator(m_pending.end()));
    m_pending.clear();
    endInsertRows();
    emit LinesAdded();
}

QStringList TLogModel::Lines() const
{
    QStringList lines;
    lines.reserve(qsizetype(m_lines.size() + m_pending.size()));
    for (const std::vector<TLine> *part : {&m_lines, &m_pending}) {
        for (const TLine &line : *part)
            lines.append(QString::fromUtf8(line.Text));
    }
    return lines;
}

int TLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant TLogModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TLine &line = m_lines[size_t(index.row())];
    const bool failure = line.Kind == TLogKind::Failure;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromUtf8(line.Text);
    case Qt::ForegroundRole:
        // A red that reads on light and dark backgrounds alike.
        return failure ? QVariant(QColor(0xd0, 0x30, 0x30)) : QVariant();
    case Qt::FontRole: {
        if (!failure)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::AccessibleDescriptionRole:
        return failure ? QStringLiteral("failure") : QVariant();
    case KindRole:
        return int(line.Kind);
    default:
        return {};
    }
}
