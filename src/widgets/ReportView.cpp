#include "widgets/ReportView.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
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

void SetColumnWidths(QTreeView *view, std::initializer_list<int> widths)
{
    const QHeaderView *header = view->header();
    const QFontMetrics metrics = header->fontMetrics();
    // The caption's text with the header's own margins around it.
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    int column = 0;
    for (int width : widths) {
        const QString caption = view->model() ? view->model()->headerData(column, Qt::Horizontal).toString() : QString();
        view->setColumnWidth(column, qMax(width, metrics.horizontalAdvance(caption) + margins));
        ++column;
    }
}

void FitColumnToWidth(QTreeView *view, int column)
{
    new TColumnFitter(view, column);
}
