// The glyphs of the menus, bars and lists are drawn on whatever the desktop's
// palette gives them: they must stay visible on a light and on a dark window,
// and stay sharp at 200 %.
#include "widgets/AppResources.h"

#include <QDirIterator>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

double Luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QImage Render(const QString &path, int size)
{
    QImageReader reader(path);
    reader.setScaledSize(QSize(size, size));
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool Painted(const QImage &glyph, int x, int y)
{
    return x >= 0 && y >= 0 && x < glyph.width() && y < glyph.height() && qAlpha(glyph.pixel(x, y)) >= 128;
}

// Whether the glyph shows at its outline pixel (x, y): that pixel or one of
// the glyph's within two pixels differs enough from the background, as a
// dark edge drawn round a bright fill still shows the fill's shape.
bool StandsOut(const QImage &glyph, const QImage &shown, int x, int y, QRgb background)
{
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            if (Painted(glyph, x + dx, y + dy) && Contrast(shown.pixel(x + dx, y + dy), background) >= 1.5)
                return true;
        }
    }
    return false;
}

// The share of the glyph's outline (painted pixels beside unpainted ones)
// that stands out from `background`. The outline is what shows the shape: a
// white page with a grey edge reads well on white, a dark frame on a dark
// window leaves a shape with pieces missing.
double VisibleOutline(const QImage &glyph, const QColor &background)
{
    QImage shown(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(background);
    QPainter(&shown).drawImage(0, 0, glyph);
    int outline = 0;
    int visible = 0;
    for (int y = 0; y < glyph.height(); ++y) {
        for (int x = 0; x < glyph.width(); ++x) {
            if (!Painted(glyph, x, y) || (Painted(glyph, x - 1, y) && Painted(glyph, x + 1, y) &&
                                          Painted(glyph, x, y - 1) && Painted(glyph, x, y + 1)))
                continue;
            ++outline;
            if (StandsOut(glyph, shown, x, y, background.rgb()))
                ++visible;
        }
    }
    return outline ? double(visible) / outline : 0.0;
}

} // namespace

class TGlyphsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitAppResources(); }

    void VisibleOnLightAndDark_data()
    {
        QTest::addColumn<QString>("path");
        QDirIterator glyphs(QStringLiteral(":/icons"), {QStringLiteral("*.svg")});
        int count = 0;
        while (glyphs.hasNext()) {
            const QString path = glyphs.next();
            QTest::newRow(qPrintable(path)) << path;
            ++count;
        }
        QVERIFY(count >= 30);
    }

    // Fusion's light window and the window colours of common dark themes.
    void VisibleOnLightAndDark()
    {
        QFETCH(QString, path);
        const QImage glyph = Render(path, 48);
        QVERIFY2(!glyph.isNull(), qPrintable(path));
        for (const char *window : {"#efefef", "#ffffff", "#353535", "#2d2d2d", "#1e1e1e"}) {
            const double share = VisibleOutline(glyph, QColor(QString::fromLatin1(window)));
            QVERIFY2(share >= 0.8, qPrintable(QStringLiteral("%1 on %2: only %3 % of its outline shows")
                                                  .arg(path, QString::fromLatin1(window))
                                                  .arg(qRound(share * 100))));
        }
    }

    // A resource picture asked for at a size comes out drawn for the screen's
    // scale, not stretched from a smaller rendering.
    void ResourcePixmapFollowsScale()
    {
        const QPixmap pixmap = ResourcePixmap(QStringLiteral(":/icons/tip.svg"), QSize(40, 40));
        const qreal scale = qApp->devicePixelRatio();
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(40, 40));
        QCOMPARE(pixmap.size(), QSize(qRound(40 * scale), qRound(40 * scale)));
    }
};

QTEST_MAIN(TGlyphsTest)
#include "Glyphs_qtest.moc"
