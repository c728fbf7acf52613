#include "images/ui/PicturePreview.h"

#include "images/ui/ImageScrollBox.h"
#include "imaging/PictureFormat.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

TPicturePreview::TPicturePreview(QWidget *parent)
    : QWidget(parent)
{
    m_view = new TImageScrollBox(this);
    m_view->setObjectName(QStringLiteral("ImageScrollBox"));
    m_view->SetZoomMode(zmFitToPage);
    m_view->SetScrollBarsVisible(false);
    m_gifImage = new QLabel(this);
    m_gifImage->setObjectName(QStringLiteral("GifImage"));
    m_gifImage->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_gifImage->hide();

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 0, 0);
    layout->addWidget(m_gifImage, 0, 0, Qt::AlignLeft | Qt::AlignTop);
}

void TPicturePreview::ShowFile(const QString &path)
{
    ++m_shown;
    const bool gif = IsGifFile(path);
    m_gifImage->setVisible(gif);
    m_view->setVisible(!gif);
    Request(path, m_loadAll && !gif ? TPreviewDecoder::TWhat::CountThenFirst : TPreviewDecoder::TWhat::FirstImage);
}

void TPicturePreview::Clear()
{
    ++m_shown;
    m_decoder.Cancel();
    SetBusy(false);
    m_view->Clear();
    m_gifImage->hide();
}

void TPicturePreview::SetAllImagesQuestion(std::function<bool(int)> loadAll)
{
    m_loadAll = std::move(loadAll);
}

void TPicturePreview::Request(const QString &path, TPreviewDecoder::TWhat what)
{
    SetBusy(true);
    const bool gif = IsGifFile(path);
    m_decoder.Request(path, what, [this, gif](const TPreviewDecoder::TResult &result) { Decoded(result, gif); });
}

void TPicturePreview::Decoded(const TPreviewDecoder::TResult &result, bool gif)
{
    if (result.Picture.isNull() && result.Error.isEmpty() && result.ImageCount >= 2) {
        // Asked from the event loop, not from inside the main-thread call
        // that brought the count: the program's other threads keep being
        // answered while the question is open.
        QMetaObject::invokeMethod(
            this, [this, path = result.Path, count = result.ImageCount, shown = m_shown] {
                if (shown == m_shown)
                    AskAllImages(path, count);
            },
            Qt::QueuedConnection);
        return;
    }
    SetBusy(false);
    if (result.Picture.isNull()) {
        emit Settled(result.Path, false);
        return;
    }
    if (gif) {
        m_gifImage->setPixmap(QPixmap::fromImage(result.Picture));
        m_gifImage->adjustSize();
    } else {
        m_view->SetPicture(result.Picture);
    }
    emit Settled(result.Path, true);
}

void TPicturePreview::AskAllImages(const QString &path, int count)
{
    const quint64 shown = m_shown;
    const bool all = m_loadAll(count);
    // Another file may have been chosen while the question was open.
    if (shown != m_shown)
        return;
    Request(path, all ? TPreviewDecoder::TWhat::AllImages : TPreviewDecoder::TWhat::FirstImage);
}

void TPicturePreview::SetBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy) {
        setCursor(Qt::BusyCursor);
        m_view->viewport()->setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        m_view->viewport()->setCursor(Qt::OpenHandCursor);
    }
}
