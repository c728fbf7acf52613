#include "images/ui/ExtensionIcons.h"

#include "engine/TaskViews.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

// A small filled triangle pointing up (ascending) or down.
QIcon SortMark(bool up)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 96, 96));
    const QPolygonF triangle = up ? QPolygonF({QPointF(8, 4), QPointF(13, 11), QPointF(3, 11)})
                                  : QPolygonF({QPointF(3, 5), QPointF(13, 5), QPointF(8, 12)});
    painter.drawPolygon(triangle);
    return QIcon(pixmap);
}

} // namespace

TExtensionIcons::TExtensionIcons()
    : m_extensions{QStringLiteral("Cursor"), QStringLiteral("Cursor")}
    , m_icons{SortMark(true), SortMark(false)}
{
}

int TExtensionIcons::IconIndex(const QFileInfo &file)
{
    const QString extension = FileNameExtension(file.fileName());
    for (int i = 0; i < m_extensions.size(); ++i) {
        if (m_extensions.at(i).compare(extension, Qt::CaseInsensitive) == 0)
            return i;
    }
    m_icons.append(m_provider.icon(file));
    m_extensions.append(extension);
    return int(m_icons.size()) - 1;
}

QIcon TExtensionIcons::Icon(int index) const
{
    return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon();
}
