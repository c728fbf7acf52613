#include "images/ui/ImageScrollBox.h"

#include "engine/Errors.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFixtures.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QImage Filled(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A view whose viewport is exactly `size`: no frame, no scroll bars.
std::unique_ptr<TImageScrollBox> MakeBox(const QSize &size)
{
    auto box = std::make_unique<TImageScrollBox>();
    box->setFrameShape(QFrame::NoFrame);
    box->SetScrollBarsVisible(false);
    box->resize(size);
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        qFatal("view not exposed");
    return box;
}

void SendMouse(QWidget *target, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class ImageScrollBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void fitScale_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<double>("scale");
        QTest::newRow("wide, halved") << QSize(400, 200) << QSize(200, 200) << 0.5;
        QTest::newRow("tall, halved") << QSize(300, 600) << QSize(300, 300) << 0.5;
        QTest::newRow("the tighter side wins") << QSize(1000, 100) << QSize(100, 1000) << 0.1;
        QTest::newRow("small, never enlarged") << QSize(100, 50) << QSize(400, 400) << 1.0;
        QTest::newRow("exact fit") << QSize(640, 480) << QSize(640, 480) << 1.0;
        QTest::newRow("empty picture") << QSize(0, 0) << QSize(100, 100) << 1.0;
    }
    void fitScale()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, view);
        QFETCH(double, scale);
        QCOMPARE(TImageScrollBox::FitScale(picture, view), scale);
    }

    void fitToPageKeepsProportionsAndCentres()
    {
        auto box = MakeBox(QSize(220, 220));
        box->SetPicture(Filled(400, 200, Qt::red));
        box->SetZoomMode(zmFitToPage);
        QCOMPARE(box->Scale(), 0.55);
        QCOMPARE(box->PictureRect(), QRect(0, 55, 220, 110));
        box->resize(440, 440);
        QCOMPARE(box->Scale(), 1.0); // never above 100 %
        QCOMPARE(box->PictureRect(), QRect(20, 120, 400, 200));
        box->SetCentered(false);
        QCOMPARE(box->PictureRect().topLeft(), QPoint(0, 0));
    }

    void originalSizeScrolls()
    {
        auto box = MakeBox(QSize(100, 80));
        box->SetPicture(Filled(300, 200, Qt::red));
        QCOMPARE(box->ZoomMode(), zmOriginalSize);
        QCOMPARE(box->Scale(), 1.0);
        QCOMPARE(box->PictureRect(), QRect(0, 0, 300, 200));
        QCOMPARE(box->horizontalScrollBar()->maximum(), 200);
        QCOMPARE(box->verticalScrollBar()->maximum(), 120);
    }

    void percentZoom()
    {
        auto box = MakeBox(QSize(100, 100));
        box->SetZoomPercent(50); // empty: ignored
        QCOMPARE(box->ZoomMode(), zmOriginalSize);
        QCOMPARE(box->ZoomPercent(), 100.0);

        box->SetPicture(Filled(400, 300, Qt::red));
        box->SetZoomPercent(50);
        QCOMPARE(box->ZoomMode(), zmPercent);
        QCOMPARE(box->PictureRect().size(), QSize(200, 150));
        box->SetZoomPercent(0.1); // not above 0.1: ignored
        box->SetZoomPercent(-5);
        QCOMPARE(box->ZoomPercent(), 50.0);
        box->SetZoomPercent(250);
        QCOMPARE(box->PictureRect().size(), QSize(1000, 750));

        // Fit and back: the percentage is kept for the next percent zoom.
        box->SetZoomMode(zmFitToPage);
        QCOMPARE(box->Scale(), 0.25);
        box->SetZoomMode(zmPercent);
        QCOMPARE(box->Scale(), 2.5);

        box->Clear();
        QVERIFY(box->Empty());
        box->SetZoomPercent(30);
        QCOMPARE(box->ZoomPercent(), 250.0);
        QCOMPARE(box->PictureRect().size(), QSize(0, 0));
    }

    // The costly scaling happens when the zoom changes, never when painting.
    void scalesOncePerZoomChange()
    {
        auto box = MakeBox(QSize(120, 120));
        box->SetPicture(Filled(600, 400, Qt::red));
        box->SetZoomMode(zmFitToPage);
        const int afterFit = box->ScaledCopies();
        for (int i = 0; i < 5; ++i)
            box->grab();
        box->horizontalScrollBar()->setValue(3);
        box->grab();
        QCOMPARE(box->ScaledCopies(), afterFit);
        box->SetZoomMode(zmFitToPage); // same scale: nothing to do
        QCOMPARE(box->ScaledCopies(), afterFit);
        box->SetZoomPercent(50);
        QCOMPARE(box->ScaledCopies(), afterFit + 1);
        box->SetZoomMode(zmOriginalSize); // 100 %: drawn as it is
        QCOMPARE(box->ScaledCopies(), afterFit + 1);
        box->grab();
        QCOMPARE(box->ScaledCopies(), afterFit + 1);
    }

    void paintsBackgroundAndPicture()
    {
        auto box = MakeBox(QSize(100, 100));
        box->SetBackgroundColor(Qt::black);
        box->SetPicture(Filled(20, 10, Qt::green));
        const QImage shot = box->viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(50, 50), QColor(Qt::green));

        // A zoom too large to keep a scaled copy draws from the original.
        const int copies = box->ScaledCopies();
        box->SetZoomPercent(500000);
        QCOMPARE(box->ScaledCopies(), copies);
        QCOMPARE(box->viewport()->grab().toImage().pixelColor(50, 50), QColor(Qt::green));
    }

    void dragPans()
    {
        auto box = MakeBox(QSize(100, 100));
        box->SetPicture(Filled(400, 400, Qt::red));
        QWidget *viewport = box->viewport();
        SendMouse(viewport, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseMove, QPoint(20, 30), Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseButtonRelease, QPoint(20, 30), Qt::NoButton);
        QCOMPARE(box->horizontalScrollBar()->value(), 30);
        QCOMPARE(box->verticalScrollBar()->value(), 20);
        QCOMPARE(box->PictureRect().topLeft(), QPoint(-30, -20));
        // Beyond the edge the picture stops.
        SendMouse(viewport, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseMove, QPoint(90, 90), Qt::LeftButton);
        QCOMPARE(box->PictureRect().topLeft(), QPoint(0, 0));
    }

    void loadFailureKeepsThePicture()
    {
        QTemporaryDir dir;
        auto box = MakeBox(QSize(50, 50));
        const QString good = dir.filePath("a.png");
        fixtures::WriteQt(good, "png", fixtures::CornerPicture(8, 6));
        box->LoadFromFile(good);
        QCOMPARE(box->Picture().size(), QSize(8, 6));
        for (const QString &bad : {dir.filePath("missing.png"), dir.filePath("a.emf")}) {
            QVERIFY_THROWS_EXCEPTION(EZavelonError, box->LoadFromFile(bad));
            QCOMPARE(box->Picture().size(), QSize(8, 6));
        }
        box->LoadFromFile(good, 0);
        QCOMPARE(box->Picture().size(), QSize(8, 6));
    }

    void rotationInPlaceThenRedraw()
    {
        auto box = MakeBox(QSize(300, 300));
        box->SetPicture(fixtures::CornerPicture(40, 10));
        const QImage working = CopyPicture(box->Picture());
        RotatePicture(working, box->Picture(), -90);
        box->Redraw();
        QCOMPARE(box->PictureRect(), QRect(145, 130, 10, 40));
    }
};

QTEST_MAIN(ImageScrollBoxTest)
#include "ImageScrollBox_qtest.moc"
