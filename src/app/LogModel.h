#pragma once

#include "engine/TaskViews.h"

#include <QAbstractListModel>
#include <QByteArray>

#include <vector>

class QTimer;

// The log of every running task: lines in the order they came, never
// cleared, failures marked. It is the engine's log view. A long crawl logs
// several lines per picture, so lines are kept as UTF-8 (half the memory of
// QString) and reach the view in batches, about ten times a second.
class TLogModel : public QAbstractListModel, public TLogView
{
    Q_OBJECT

public:
    static constexpr int KindRole = Qt::UserRole; // TLogKind as an int
    static constexpr int kFlushDelayMs = 100;

    explicit TLogModel(QObject *parent = nullptr);

    void AppendLogLine(const QString &line, TLogKind kind) override;
    // Applies the lines that wait, now.
    void Flush();
    // Every line, those still waiting too.
    QStringList Lines() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    // After lines reached the view (for it to follow the end).
    void LinesAdded();

private:
    struct TLine {
        QByteArray Text;
        TLogKind Kind;
    };
    std::vector<TLine> m_lines;
    std::vector<TLine> m_pending;
    QTimer *m_flushTimer;
};
