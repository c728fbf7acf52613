#include "widgets/ReportView.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

namespace {

class TColumnFitter : public QObject
{
public:
    TColumnFitter(QTreeView *view, int column)
        : QObject(view)
        , m_view(view)
        , m_column(column)
    {
        view->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            Fit();
        return QObject::eventFilter(watched, event);
    }

private:
    void Fit()
    {
        QHeaderView *header = m_view->header();
        int others = 0;
        for (int section = 0; section < header->count(); ++section) {
            if (section != m_column && !header->isSectionHidden(section))
                others += header->sectionSize(section);
        }
        const int width = m_view->viewport()->width() - others;
        header->resizeSection(m_column, qMax(width, header->minimumSectionSize()));
    }

    QTreeView *m_view;
    int m_column;
};

} // namespace

QTreeView *MakeReportView(const QString &objectName, QWidget *parent)
{
    auto *view = new QTreeView(parent);
    view->setObjectName(objectName);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setSectionsClickable(false);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    return view;
}

void FitColumnToWidth(QTreeView *view, int column)
{
    new TColumnFitter(view, column);
}
