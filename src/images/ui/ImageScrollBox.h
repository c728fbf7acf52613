#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPoint>

enum TZoomMode {
    zmOriginalSize, // 100 %
    zmFitToPage,    // fitted to the view, proportions kept, never above 100 %
    zmPercent,      // the set zoom percentage
};

// The scrolling, zooming picture view. It holds one picture, shows it at the
// zoom of its mode, centred when smaller than the view (if set so), and pans
// it when dragged with the mouse. Scroll bars can be hidden; panning still
// works then.
//
// The picture is scaled once per change of picture, zoom or (when fitting)
// view size, never per paint, so a 40-megapixel picture pans smoothly.
// A zoom so large that the scaled copy would exceed the decoding limit is
// drawn from the original, the visible part only.
class TImageScrollBox : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TImageScrollBox(QWidget *parent = nullptr);

    // Loads image 1 (the first) or 0 (all, the first shown) of `path`
    // through the image services. On failure EZavelonError is raised and
    // the previous picture stays.
    void LoadFromFile(const QString &path, int imageIndex = 1);

    bool Empty() const { return m_picture.isNull(); }
    const QImage &Picture() const { return m_picture; }
    // The picture itself, for changing it in place (a rotation into it);
    // call Redraw() afterwards.
    QImage &Picture() { return m_picture; }
    void SetPicture(const QImage &picture);
    // An empty view.
    void Clear();
    // Shows the picture again after it was changed through Picture().
    void Redraw();

    TZoomMode ZoomMode() const { return m_zoomMode; }
    void SetZoomMode(TZoomMode mode);
    // The percentage of zmPercent (100 at first).
    double ZoomPercent() const { return m_zoomPercent; }
    // Sets the percentage (a value above 0.1) and the mode zmPercent.
    // Ignored while the view is empty, and for values of 0.1 or less.
    void SetZoomPercent(double percent);

    bool Centered() const { return m_centered; }
    void SetCentered(bool centered);
    bool ScrollBarsVisible() const { return m_scrollBarsVisible; }
    void SetScrollBarsVisible(bool visible);
    QColor BackgroundColor() const { return m_background; }
    void SetBackgroundColor(const QColor &color);

    // The scale in use (1.0 = 100 %); 1.0 while empty.
    double Scale() const { return m_scale; }
    // The scaled picture's place in the view's viewport, after centring and
    // panning.
    QRect PictureRect() const;
    // How many scaled copies were made so far (a paint never makes one).
    int ScaledCopies() const { return m_scaledCopies; }

    // The fit-to-page scale of a picture in a view: the largest scale at which
    // it fits both ways, never above 1.
    static double FitScale(const QSize &picture, const QSize &view);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    double WantedScale() const;
    QSize ScaledSize() const;
    // Remakes the scaled copy when the scale or picture changed (or `force`).
    void Rescale(bool force);
    void UpdateScrollBars();

    QImage m_picture;
    QImage m_scaled; // the picture at m_scale, ready to blit; null when drawn from m_picture
    double m_scale = 1.0;
    int m_scaledCopies = 0;
    TZoomMode m_zoomMode = zmOriginalSize;
    double m_zoomPercent = 100.0;
    bool m_centered = true;
    bool m_scrollBarsVisible = true;
    QColor m_background = Qt::white;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_dragScroll;
};
