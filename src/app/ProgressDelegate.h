#pragma once

#include <QStyledItemDelegate>

// Draws a cell as a progress bar with its text ("45%") when the model gives
// a progress for it (role `progressRole`, 0 to 100), and as plain text
// otherwise ("---" while no length is known).
class TProgressDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    TProgressDelegate(int progressRole, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_progressRole;
};
