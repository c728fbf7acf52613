#include "widgets/ReportView.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace {

// The caption's text with the header's own margins around it.
int CaptionWidth(const QTreeView *view, int column)
{
    const QHeaderView *header = view->header();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    const QString caption = view->model() ? view->model()->headerData(column, Qt::Horizontal).toString() : QString();
    return header->fontMetrics().horizontalAdvance(caption) + margins;
}

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
        // Never narrower than its caption: on a small window the view scrolls
        // sideways rather than cutting the header.
        const int width = m_view->viewport()->width() - others;
        header->resizeSection(m_column, std::max({width, header->minimumSectionSize(), CaptionWidth(m_view, m_column)}));
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

void SetColumnWidths(QTreeView *view, std::initializer_list<int> widths)
{
    int column = 0;
    for (int width : widths) {
        view->setColumnWidth(column, qMax(width, CaptionWidth(view, column)));
        ++column;
    }
}

void FitColumnToWidth(QTreeView *view, int column)
{
    new TColumnFitter(view, column);
}
