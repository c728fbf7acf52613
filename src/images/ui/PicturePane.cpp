#include "images/ui/PicturePane.h"

#include "images/ui/ImageScrollBox.h"
#include "images/ui/PictureLoader.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

TPicturePane::TPicturePane(QWidget *parent)
    : QWidget(parent)
    , m_scrollBox(new TImageScrollBox(this))
    , m_gifImage(new QLabel(this))
    , m_loader(new TPictureLoader(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scrollBox->setObjectName(QStringLiteral("ImageScrollBox"));
    layout->addWidget(m_scrollBox);
    // Not in the layout: it keeps the frame's own size at the top-left.
    m_gifImage->setObjectName(QStringLiteral("GifImage"));
    m_gifImage->move(0, 0);
    m_gifImage->hide();
    connect(m_loader, &TPictureLoader::Loaded, this, &TPicturePane::Apply);
}

void TPicturePane::Show(const QString &path)
{
    SetBusy(true);
    m_loader->Load(path);
}

void TPicturePane::Clear()
{
    m_loader->Cancel();
    SetBusy(false);
    m_scrollBox->Clear();
    m_gifImage->hide();
    m_gifShown = false;
    m_scrollBox->show();
    m_shownPath.clear();
}

bool TPicturePane::Loading() const
{
    return m_loader->Pending();
}

QImage TPicturePane::ShownPicture() const
{
    return m_gifShown ? m_gifFrame : m_scrollBox->Picture();
}

void TPicturePane::Apply(const TDecodedPicture &picture)
{
    SetBusy(false);
    if (picture.Gif) {
        m_scrollBox->hide();
        if (picture.Decoded()) {
            m_gifFrame = picture.Image;
            m_gifImage->setPixmap(QPixmap::fromImage(m_gifFrame));
            m_gifImage->adjustSize();
        }
        m_gifImage->show();
        m_gifImage->raise();
        m_gifShown = true;
    } else {
        m_gifImage->hide();
        m_gifShown = false;
        m_scrollBox->show();
        if (picture.Decoded())
            m_scrollBox->SetPicture(picture.Image);
    }
    if (picture.Decoded())
        m_shownPath = picture.Path;
    emit PictureShown(picture.Path, picture.Decoded());
}

void TPicturePane::SetBusy(bool busy)
{
    if (busy) {
        setCursor(Qt::BusyCursor);
        m_scrollBox->viewport()->setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        m_scrollBox->viewport()->setCursor(Qt::OpenHandCursor);
    }
}
