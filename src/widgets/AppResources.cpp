#include "widgets/AppResources.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QtGlobal>

static void RegisterAppResources()
{
    Q_INIT_RESOURCE(AppResources);
}

void InitAppResources()
{
    static const bool registered = (RegisterAppResources(), true);
    Q_UNUSED(registered);
}

QPixmap ResourcePixmap(const QString &path, const QSize &size)
{
    InitAppResources();
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    QImageReader reader(path);
    reader.setScaledSize(size * scale);
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}
