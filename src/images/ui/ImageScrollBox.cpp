#include "images/ui/ImageScrollBox.h"

#include "imaging/DecodeLimit.h"
#include "imaging/ImageServices.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

TImageScrollBox::TImageScrollBox(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    viewport()->setCursor(Qt::OpenHandCursor);
}

void TImageScrollBox::LoadFromFile(const QString &path, int imageIndex)
{
    SetPicture(LoadImages(path, imageIndex).constFirst());
}

void TImageScrollBox::SetPicture(const QImage &picture)
{
    m_picture = picture;
    Redraw();
}

void TImageScrollBox::Clear()
{
    SetPicture(QImage());
}

void TImageScrollBox::Redraw()
{
    Rescale(true);
}

void TImageScrollBox::SetZoomMode(TZoomMode mode)
{
    m_zoomMode = mode;
    Rescale(false);
}

void TImageScrollBox::SetZoomPercent(double percent)
{
    if (Empty() || !(percent > 0.1))
        return;
    m_zoomPercent = percent;
    m_zoomMode = zmPercent;
    Rescale(false);
}

void TImageScrollBox::SetCentered(bool centered)
{
    m_centered = centered;
    viewport()->update();
}

void TImageScrollBox::SetScrollBarsVisible(bool visible)
{
    m_scrollBarsVisible = visible;
    const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

void TImageScrollBox::SetBackgroundColor(const QColor &color)
{
    m_background = color;
    viewport()->update();
}

double TImageScrollBox::FitScale(const QSize &picture, const QSize &view)
{
    if (picture.isEmpty() || view.isEmpty())
        return 1.0;
    const double scale = std::min(double(view.width()) / picture.width(), double(view.height()) / picture.height());
    return std::min(1.0, scale);
}

double TImageScrollBox::WantedScale() const
{
    if (Empty())
        return 1.0;
    switch (m_zoomMode) {
    case zmFitToPage:
        return FitScale(m_picture.size(), viewport()->size());
    case zmPercent:
        return m_zoomPercent / 100.0;
    case zmOriginalSize:
        break;
    }
    return 1.0;
}

QSize TImageScrollBox::ScaledSize() const
{
    if (Empty())
        return QSize(0, 0);
    return QSize(std::max(1, int(std::lround(m_picture.width() * m_scale))),
                 std::max(1, int(std::lround(m_picture.height() * m_scale))));
}

void TImageScrollBox::Rescale(bool force)
{
    const double scale = WantedScale();
    if (force || scale != m_scale) {
        m_scale = scale;
        m_scaled = QImage();
        if (!Empty() && scale != 1.0 && DecodedBytes(ScaledSize()) <= kMaxDecodedBytes) {
            m_scaled = m_picture.scaled(ScaledSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            ++m_scaledCopies;
        }
    }
    UpdateScrollBars();
    viewport()->update();
}

void TImageScrollBox::UpdateScrollBars()
{
    const QSize scaled = ScaledSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, scaled.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, scaled.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
}

QRect TImageScrollBox::PictureRect() const
{
    const QSize scaled = ScaledSize();
    const QSize view = viewport()->size();
    const int x = m_centered && scaled.width() < view.width() ? (view.width() - scaled.width()) / 2
                                                              : -horizontalScrollBar()->value();
    const int y = m_centered && scaled.height() < view.height() ? (view.height() - scaled.height()) / 2
                                                                : -verticalScrollBar()->value();
    return QRect(QPoint(x, y), scaled);
}

void TImageScrollBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), m_background);
    if (Empty())
        return;
    const QRect target = PictureRect();
    if (m_scale == 1.0) {
        painter.drawImage(target.topLeft(), m_picture);
    } else if (!m_scaled.isNull()) {
        painter.drawImage(target.topLeft(), m_scaled);
    } else {
        // Too large to keep scaled: draw the visible part from the original.
        painter.translate(target.topLeft());
        painter.scale(m_scale, m_scale);
        painter.drawImage(QPointF(0, 0), m_picture);
    }
}

void TImageScrollBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    Rescale(false); // only a fitted picture changes scale with the view
}

void TImageScrollBox::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TImageScrollBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_dragging = true;
    m_dragStart = event->position().toPoint();
    m_dragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void TImageScrollBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return QAbstractScrollArea::mouseMoveEvent(event);
    // The picture follows the mouse: dragging left shows more of the right.
    const QPoint moved = event->position().toPoint() - m_dragStart;
    horizontalScrollBar()->setValue(m_dragScroll.x() - moved.x());
    verticalScrollBar()->setValue(m_dragScroll.y() - moved.y());
}

void TImageScrollBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    m_dragging = false;
    viewport()->setCursor(Qt::OpenHandCursor);
}
