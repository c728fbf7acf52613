#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

// The report of the selected task: three rows under "Name", "Value",
// "Description" ("Name", "URL" and "Files" with "Finished/Found"), or none.
class TReportModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TReportModel(QObject *parent = nullptr);

    // The three rows of a task.
    void Fill(const QString &name, const QString &url, int done, int found);
    // The "Files" row's value only.
    void UpdateFiles(int done, int found);
    void Clear();
    bool IsEmpty() const { return !m_filled; }
    // The "Value" of the first row ("Name"); empty when there are no rows.
    QString ShownName() const { return m_filled ? m_name : QString(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "done/found".
    static QString FinishedFoundText(int done, int found);

private:
    bool m_filled = false;
    QString m_name;
    QString m_url;
    int m_done = 0;
    int m_found = 0;
    QIcon m_icon;
};
