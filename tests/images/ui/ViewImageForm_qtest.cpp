#include "PicturesTestSupport.h"

#include "images/ui/ImageScrollBox.h"
#include "images/ui/ViewImageForm.h"
#include "imaging/ImageServices.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// A viewer on three pictures of different sizes, shown (not modally) on
// `index`, the picture arrived.
struct TViewer {
    QTemporaryDir dir;
    QStringList paths;
    std::unique_ptr<TViewImageForm> form = std::make_unique<TViewImageForm>();

    explicit TViewer(int index = 0)
    {
        const QList<QSize> sizes = {QSize(30, 20), QSize(40, 10), QSize(50, 60)};
        for (int i = 0; i < sizes.size(); ++i) {
            paths.append(dir.filePath(QStringLiteral("%1.png").arg(i)));
            WritePicture(paths.last(), sizes.at(i).width(), sizes.at(i).height());
        }
        form->SetCurrentPath(paths.value(index));
        form->ShowCurrentPath();
        form->SetPathList(paths);
        form->SetCurrentIndex(index);
        form->show();
        WaitForPicture();
    }
    void WaitForPicture() const { QTRY_VERIFY(!form->Loading()); }
    QSize Shown() const { return form->ImageScrollBox()->Picture().size(); }
    QAction *Command(const char *name) const { return form->findChild<QAction *>(QLatin1String(name)); }
};

} // namespace

class ViewImageFormTest : public QObject
{
    Q_OBJECT

private slots:
    void theMenuCarriesEveryCommandWithItsKey()
    {
        TViewImageForm form;
        QStringList entries;
        for (QAction *action : form.PopupMenu()->actions())
            entries.append(action->isSeparator() ? QStringLiteral("|")
                                                 : action->text() + QLatin1Char('=') +
                                                       action->shortcut().toString(QKeySequence::PortableText));
        QCOMPARE(entries, (QStringList{"Turn Left=Ctrl+I", "Turn Right=Ctrl+O", "|", "Zoom=Ctrl+Z", "|",
                                       "Zoom In=Ctrl+J", "Zoom Out=Ctrl+K", "|", "Prev=PgUp", "Next=PgDown", "|",
                                       "Close=Esc"}));
        QCOMPARE(form.findChild<QAction *>(QStringLiteral("CloseMenuItem"))->statusTip(),
                 QStringLiteral("Close view form"));
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form.ImageScrollBox()->ZoomMode(), zmFitToPage);
        QCOMPARE(form.ImageScrollBox()->BackgroundColor(), QColor(Qt::black));
        QVERIFY(!form.ImageScrollBox()->ScrollBarsVisible());
        QCOMPARE(form.ZoomPercent(), 100);
        QCOMPARE(form.CurrentIndex(), -1);
    }

    void stepsThroughTheListWithoutWrapping()
    {
        TViewer viewer(0);
        QCOMPARE(viewer.Shown(), QSize(30, 20));
        // Page Up on the first picture does nothing.
        QTest::keyClick(viewer.form.get(), Qt::Key_PageUp);
        QCOMPARE(viewer.form->CurrentIndex(), 0);
        QTest::keyClick(viewer.form.get(), Qt::Key_PageDown);
        viewer.WaitForPicture();
        QCOMPARE(viewer.form->CurrentIndex(), 1);
        QCOMPARE(viewer.form->CurrentPath(), viewer.paths.at(1));
        QCOMPARE(viewer.Shown(), QSize(40, 10));
        viewer.form->Next1Click();
        viewer.WaitForPicture();
        QCOMPARE(viewer.Shown(), QSize(50, 60));
        // Page Down on the last does nothing.
        QTest::keyClick(viewer.form.get(), Qt::Key_PageDown);
        QCOMPARE(viewer.form->CurrentIndex(), 2);
        viewer.form->Prev1Click();
        viewer.WaitForPicture();
        QCOMPARE(viewer.Shown(), QSize(40, 10));
    }

    void zoomOutStopsAtThirty()
    {
        TViewer viewer;
        QList<int> steps;
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(viewer.form.get(), Qt::Key_K, Qt::ControlModifier);
            steps.append(viewer.form->ZoomPercent());
        }
        QCOMPARE(steps, (QList<int>{90, 80, 70, 60, 50, 40, 30, 30, 30}));
        QCOMPARE(viewer.form->ImageScrollBox()->ZoomMode(), zmPercent);
        QCOMPARE(viewer.form->ImageScrollBox()->ZoomPercent(), 30.0);
    }

    void zoomInContinuesFromTheStoredPercentAfterFit()
    {
        TViewer viewer;
        TImageScrollBox *view = viewer.form->ImageScrollBox();
        viewer.form->ZoomIn1Click();
        viewer.form->ZoomIn1Click();
        QCOMPARE(view->ZoomPercent(), 120.0);
        viewer.form->Zoom1Click(); // from percent: fit
        QCOMPARE(view->ZoomMode(), zmFitToPage);
        viewer.form->Zoom1Click(); // from fit: actual size
        QCOMPARE(view->ZoomMode(), zmOriginalSize);
        QTest::keyClick(viewer.form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(view->ZoomMode(), zmFitToPage);
        QTest::keyClick(viewer.form.get(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(view->ZoomMode(), zmPercent);
        QCOMPARE(view->ZoomPercent(), 130.0);
        // Stepping keeps the zoom.
        viewer.form->Next1Click();
        viewer.WaitForPicture();
        QCOMPARE(view->ZoomMode(), zmPercent);
        QCOMPARE(view->Scale(), 1.3);
    }

    void turnsTheShownPictureNotTheFile()
    {
        TViewer viewer;
        const auto digest = [&viewer] {
            QFile file(viewer.paths.at(0));
            file.open(QIODevice::ReadOnly);
            return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
        };
        const QByteArray before = digest();
        const QImage original = viewer.form->ImageScrollBox()->Picture();
        QTest::keyClick(viewer.form.get(), Qt::Key_I, Qt::ControlModifier);
        const QImage left = viewer.form->ImageScrollBox()->Picture();
        QCOMPARE(left.size(), QSize(20, 30));
        // A quarter turn anticlockwise takes the top-right corner to the top-left.
        QCOMPARE(left.pixelColor(0, 0), original.pixelColor(original.width() - 1, 0));
        QTest::keyClick(viewer.form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(viewer.form->ImageScrollBox()->Picture(), original);
        viewer.form->TurnRight1Click();
        QCOMPARE(viewer.form->ImageScrollBox()->Picture().pixelColor(0, 0), original.pixelColor(0, original.height() - 1));
        QCOMPARE(digest(), before);
    }

    void aGifShowsItsFirstFrameAtTheTopLeft()
    {
        TViewer viewer;
        const QString gif = viewer.dir.filePath(QStringLiteral("anim.gif"));
        WriteGif(gif, 21, 11, 3);
        viewer.form->SetCurrentPath(gif);
        viewer.form->ShowCurrentPath();
        viewer.WaitForPicture();
        QVERIFY(viewer.form->ImageScrollBox()->isHidden());
        QVERIFY(!viewer.form->GifImage()->isHidden());
        QCOMPARE(viewer.form->GifImage()->geometry(), QRect(0, 0, 21, 11));
        // Turning works on the view, not on the GIF.
        viewer.form->TurnLeft1Click();
        QCOMPARE(viewer.form->GifImage()->pixmap().size(), QSize(21, 11));
    }

    void aPictureThatDoesNotDecodeKeepsThePrevious()
    {
        TViewer viewer;
        const QString broken = viewer.dir.filePath(QStringLiteral("broken.jpg"));
        WriteBytes(broken, 40);
        viewer.form->SetCurrentPath(broken);
        viewer.form->ShowCurrentPath();
        viewer.WaitForPicture();
        QCOMPARE(viewer.Shown(), QSize(30, 20));
    }

    void escapeClosesTheModalViewer()
    {
        TViewer viewer;
        viewer.form->hide();
        TModalHandler escape([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        const int result = viewer.form->View(viewer.paths, 2);
        QVERIFY(escape.Fired());
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(viewer.form->CurrentIndex(), 2);
        QCOMPARE(viewer.form->CurrentPath(), viewer.paths.at(2));
    }
};

QTEST_MAIN(ViewImageFormTest)
#include "ViewImageForm_qtest.moc"
