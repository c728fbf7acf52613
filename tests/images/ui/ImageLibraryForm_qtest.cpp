#include "CopyLibraryTestSupport.h"

#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ui/ImageLibraryForm.h"
#include "images/ui/ImageLibraryModel.h"
#include "images/ui/ImageScrollBox.h"
#include "images/ui/LoadImageThread.h"
#include "images/ui/PicturePreview.h"
#include "imaging/ImageServices.h"
#include "widgets/HtmlHelp.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>
#include <QtEndian>

using namespace copytest;

namespace {

// A library of real picture files in a temporary folder.
struct TLibraryFolder {
    QTemporaryDir Root;
    TImageLibrary Library;

    QString Path(const QString &name) const { return Root.path() + QLatin1Char('/') + name; }
    QString AddPng(const QString &name, int width = 40, int height = 20)
    {
        WritePng(Path(name), width, height);
        AddImageFile(Library, Path(name));
        return Path(name);
    }
    QString AddMagick(const QString &name, const std::string &format, int pages)
    {
        fixtures::WriteMagick(Path(name), format, 24, 16, pages);
        AddImageFile(Library, Path(name));
        return Path(name);
    }
    // Records of files that were never there, as fast as a big library needs.
    void AddRecords(int count)
    {
        for (int n = 0; n < count; ++n) {
            auto record = std::make_unique<TImageDetail>();
            record->FileName = Path(QStringLiteral("none/p%1.jpg").arg(n));
            record->FileSize = 4096;
            record->Width = 10;
            record->Height = 10;
            Library.Add(std::move(record));
        }
    }
    // Records as a truncated library file leaves them: empty names.
    void AddEmptyRecords(qint32 count)
    {
        QByteArray header(264, '\0');
        const QByteArray signature("Quorvane Images Library File");
        header.replace(0, signature.size(), signature);
        qToLittleEndian<qint32>(227, header.data() + 256);
        qToLittleEndian<qint32>(count, header.data() + 260);
        // Whole records with no name: what an interrupted writer of another
        // program can leave (a cut-off file only loads its whole records).
        header.append(QByteArray(qsizetype(count) * 280, '\0'));
        QBuffer buffer(&header);
        buffer.open(QIODevice::ReadOnly);
        Library.LoadFromStream(buffer);
    }
};

struct TShownForm {
    std::unique_ptr<TImageLibraryForm> Form;
    QTreeView *List = nullptr;
    TPicturePreview *Preview = nullptr;

    explicit TShownForm(TImageLibrary &library)
        : Form(std::make_unique<TImageLibraryForm>(library))
    {
        Form->show();
        Form->activateWindow();
        if (!QTest::qWaitForWindowActive(Form.get()))
            qFatal("library window not active");
        List = Child<QTreeView>(Form.get(), "ImageLibListView");
        Preview = Child<TPicturePreview>(Form.get(), "PreviewPane");
    }
    bool Loaded() const { return !Form->Loading(); }
    void Select(int row) const
    {
        List->setFocus();
        List->setCurrentIndex(List->model()->index(row, 0));
    }
    // Back to the window after a message box.
    void Activate() const
    {
        Form->activateWindow();
        if (!QTest::qWaitForWindowActive(Form.get()))
            qFatal("library window not active");
    }
    void Trigger(const char *action) const { Child<QAction>(Form.get(), action)->trigger(); }
    QString Total() const { return Child<QLabel>(Form.get(), "TotalPanel")->text(); }
};

QStringList Captions(const QAbstractItemModel &model)
{
    QStringList captions;
    for (int row = 0; row < model.rowCount(); ++row)
        captions << model.index(row, 0).data().toString();
    return captions;
}

std::vector<const TImageDetail *> Records(const TImageLibrary &library)
{
    std::vector<const TImageDetail *> records;
    for (int n = 0; n < library.Count(); ++n)
        records.push_back(library.Items(n));
    return records;
}

} // namespace

class ImageLibraryFormTest : public QObject
{
    Q_OBJECT

private slots:
    void modelRowsAndIcons()
    {
        TLibraryFolder folder;
        const QString png = folder.AddPng(QStringLiteral("a.png"), 40, 20);
        folder.AddPng(QStringLiteral("b.PNG"));
        WriteText(folder.Path(QStringLiteral("broken.jpg")), QByteArray(3000, 'x'));
        AddImageFile(folder.Library, folder.Path(QStringLiteral("broken.jpg")));
        TImageLibraryModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList iconsAskedFor;
        model.SetIconSource([&](const QString &path) {
            iconsAskedFor << QFileInfo(path).fileName();
            return QIcon();
        });
        model.Append(Records(folder.Library));

        QStringList headers;
        for (int column = 0; column < model.columnCount(); ++column)
            headers << model.headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Filename(full)", "Filename", "Size", "Width", "Height"}));
        QStringList first, broken;
        for (int column = 0; column < model.columnCount(); ++column) {
            first << model.index(0, column).data().toString();
            broken << model.index(2, column).data().toString();
        }
        QCOMPARE(first, (QStringList{png, "a.png", QStringLiteral("%1 KB").arg(QFileInfo(png).size() / 128 * 128 / 1024), "40", "20"}));
        QCOMPARE(broken, (QStringList{folder.Path("broken.jpg"), "broken.jpg", "2 KB", "-1", "-1"}));
        // One icon per extension, whatever its letter case.
        QCOMPARE(iconsAskedFor, (QStringList{"a.png", "broken.jpg"}));
        QCOMPARE(model.IconCount(), 2);

        model.RemoveRows({1});
        QCOMPARE(Captions(model), (QStringList{png, folder.Path("broken.jpg")}));
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void removeRows_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("remove");
        QTest::newRow("one run at the end") << 10 << QList<int>{7, 8, 9};
        QTest::newRow("runs in any order, with a repeat") << 10 << QList<int>{5, 0, 1, 5, 9};
        QList<int> scattered;
        for (int row = 0; row < 300; row += 3)
            scattered << row;
        QTest::newRow("scattered: the list is made anew") << 300 << scattered;
        QTest::newRow("rows that are not there") << 3 << QList<int>{-1, 3, 1};
    }
    void removeRows()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, remove);
        TLibraryFolder folder;
        folder.AddRecords(count);
        TImageLibraryModel model;
        model.SetIconSource({});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.Append(Records(folder.Library));
        QStringList expected;
        for (int row = 0; row < count; ++row)
            if (!remove.contains(row))
                expected << folder.Library.Items(row)->FileName;
        model.RemoveRows(std::vector<int>(remove.cbegin(), remove.cend()));
        QCOMPARE(Captions(model), expected);
    }

    void opensAndFillsInLibraryOrder()
    {
        TLibraryFolder folder;
        folder.AddRecords(3 * TLoadImageThread::kBatch + 5);
        TShownForm shown(folder.Library);
        QAbstractItemModelTester tester(shown.List->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(shown.Form->windowTitle(), QStringLiteral("Library"));
        QVERIFY(!Child<QAction>(shown.Form.get(), "VerifyAction")->isEnabled() || shown.Loaded());
        QTRY_VERIFY(shown.Loaded());
        QCOMPARE(shown.Form->Model().Count(), folder.Library.Count());
        QCOMPARE(shown.Form->Model().FileName(7), folder.Library.Items(7)->FileName);
        QCOMPARE(shown.Total(), QStringLiteral("Total image(s): %1").arg(folder.Library.Count()));
        QVERIFY(Child<QAction>(shown.Form.get(), "VerifyAction")->isEnabled());
        QVERIFY(Child<QAction>(shown.Form.get(), "ClearAction")->isEnabled());
        QVERIFY(!shown.Form->findChild<QProgressBar *>(QStringLiteral("LoadingProgressBar")));
        QVERIFY(!Child<QLabel>(shown.Form.get(), "LoadingPanel")->isVisible());

        // "Filename(full)" takes the width the other columns leave.
        QHeaderView *header = shown.List->header();
        int sum = 0;
        for (int column = 0; column < header->count(); ++column)
            sum += header->sectionSize(column);
        QCOMPARE(sum, shown.List->viewport()->width());
        QCOMPARE(header->sectionSize(TImageLibraryModel::ColName), 120);
    }

    void verify_data()
    {
        QTest::addColumn<int>("empty");   // records with no name
        QTest::addColumn<int>("gone");    // records whose file was deleted
        QTest::addColumn<QString>("message");
        QTest::newRow("empty library") << 0 << 0 << QStringLiteral("No valid record found !");
        QTest::newRow("all files there") << -1 << 0 << QStringLiteral("No valid record found !");
        QTest::newRow("records with no name") << 3 << 0 << QStringLiteral("3 record(s) has been deleted !");
        QTest::newRow("deleted files and empty records") << 2 << 2 << QStringLiteral("4 record(s) has been deleted !");
    }
    void verify()
    {
        QFETCH(int, empty);
        QFETCH(int, gone);
        QFETCH(QString, message);
        TLibraryFolder folder;
        if (empty != 0) {
            folder.AddPng(QStringLiteral("kept.png"));
            for (int n = 0; n < gone; ++n)
                QFile::remove(folder.AddPng(QStringLiteral("gone%1.png").arg(n)));
            folder.AddEmptyRecords(qMax(empty, 0));
        }
        const int kept = folder.Library.Count() - qMax(empty, 0) - gone;
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        TMessageBoxes boxes(QMessageBox::Yes);
        shown.Trigger("VerifyAction");
        QCOMPARE(boxes.Seen.size(), 2);
        QCOMPARE(boxes.Seen[0].Caption, QStringLiteral("Question"));
        QCOMPARE(boxes.Seen[0].Text, QStringLiteral("Do you want to delete all invalid image records from library? It will take a few minutes."));
        QCOMPARE(boxes.Seen[1].Caption, QStringLiteral("Information"));
        QCOMPARE(boxes.Seen[1].Text, message);
        QCOMPARE(folder.Library.Count(), kept);
        QCOMPARE(shown.Form->Model().Count(), kept);
        QCOMPARE(shown.Total(), QStringLiteral("Total image(s): %1").arg(kept));
    }

    void deleteKeepsTheRecordUntilVerify()
    {
        TLibraryFolder folder;
        const QString a = folder.AddPng(QStringLiteral("a.png"));
        const QString b = folder.AddPng(QStringLiteral("b.png"));
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        shown.Select(1);
        {
            TMessageBoxes boxes(QMessageBox::No);
            QTest::keyClick(shown.List, Qt::Key_Delete);
            QCOMPARE(boxes.Seen.size(), 1);
            QCOMPARE(boxes.Seen[0].Text, QStringLiteral("Do you want to delete selected image(s)?"));
            QVERIFY(QFile::exists(b));
        }
        TMessageBoxes boxes(QMessageBox::Yes);
        shown.Activate();
        QTest::keyClick(shown.List, Qt::Key_Delete);
        QCOMPARE(boxes.Seen.size(), 1);
        QVERIFY(!QFile::exists(b));
        QVERIFY(QFile::exists(a));
        QCOMPARE(Captions(*shown.List->model()), QStringList{a});
        QCOMPARE(folder.Library.Count(), 2);

        // Verify walks the rows, so the record goes at the next opening.
        shown.Form->reject();
        TShownForm again(folder.Library);
        QTRY_VERIFY(again.Loaded());
        QCOMPARE(Captions(*again.List->model()), (QStringList{a, b}));
        again.Trigger("VerifyAction");
        QCOMPARE(boxes.Seen.last().Text, QStringLiteral("1 record(s) has been deleted !"));
        QCOMPARE(folder.Library.Count(), 1);
        QCOMPARE(folder.Library.Items(0)->FileName, a);
    }

    void clear_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("filesKept");
        QTest::addColumn<bool>("libraryEmpty");
        QTest::newRow("Yes: files deleted too") << QMessageBox::Yes << false << true;
        QTest::newRow("No: files kept") << QMessageBox::No << true << true;
        QTest::newRow("Cancel: nothing") << QMessageBox::Cancel << true << false;
    }
    void clear()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, filesKept);
        QFETCH(bool, libraryEmpty);
        TLibraryFolder folder;
        const QString a = folder.AddPng(QStringLiteral("a.png"));
        const QString b = folder.AddPng(QStringLiteral("b.png"));
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        TMessageBoxes boxes(answer);
        QTest::mouseClick(Child<QToolButton>(shown.Form.get(), "ClearButton"), Qt::LeftButton);
        QCOMPARE(boxes.Seen.size(), 1);
        QCOMPARE(boxes.Seen[0].Text, QStringLiteral("Do you want to delete all files on disk?"));
        QCOMPARE(QFile::exists(a) && QFile::exists(b), filesKept);
        QCOMPARE(folder.Library.Count() == 0, libraryEmpty);
        QCOMPARE(shown.Form->Model().Count() == 0, libraryEmpty);
        if (libraryEmpty) {
            QCOMPARE(shown.Total(), QStringLiteral("Total image(s): 0"));
            // What shut-down then writes: the header alone.
            const QString file = folder.Path(QStringLiteral("imglib.db"));
            folder.Library.SaveToFile(file);
            QCOMPARE(QFileInfo(file).size(), qint64(264));
        }
    }

    void previewAsksBeforeLoadingManyImages_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("one image: no question") << 1 << QMessageBox::Yes;
        QTest::newRow("two images, Yes") << 2 << QMessageBox::Yes;
        QTest::newRow("two images, No") << 2 << QMessageBox::No;
    }
    void previewAsksBeforeLoadingManyImages()
    {
        QFETCH(int, pages);
        QFETCH(QMessageBox::StandardButton, answer);
        TLibraryFolder folder;
        folder.AddMagick(QStringLiteral("pages.tif"), "TIFF", pages);
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        TMessageBoxes boxes(answer);
        QSignalSpy settled(shown.Preview, &TPicturePreview::Settled);
        shown.Select(0);
        QTRY_COMPARE(settled.size(), 1);
        QVERIFY(settled.first().at(1).toBool());
        QCOMPARE(shown.Preview->View().Picture().size(), QSize(24, 16));
        if (pages == 1) {
            QCOMPARE(boxes.Seen.size(), 0);
            return;
        }
        QCOMPARE(boxes.Seen.size(), 1);
        QCOMPARE(boxes.Seen[0].Caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes.Seen[0].Text, QStringLiteral("The file contains 2 images.\nNote that for animations, all images\n"
                                                    "must be loaded in memory.\nLoad all images in memory?"));
        QCOMPARE(LoadAllImagesQuestion(2), QStringLiteral("The file contains 2 images.\rNote that for animations, all images\r"
                                                         "must be loaded in memory.\rLoad all images in memory?\r"));
    }

    void previewFollowsTheGifRule()
    {
        TLibraryFolder folder;
        folder.AddMagick(QStringLiteral("anim.gif"), "GIF", 2);
        const QString png = folder.AddPng(QStringLiteral("still.png"), 30, 10);
        const QString gone = folder.AddPng(QStringLiteral("gone.png"), 50, 50);
        QFile::remove(gone);
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        TMessageBoxes boxes;
        QSignalSpy settled(shown.Preview, &TPicturePreview::Settled);
        auto *gifImage = Child<QLabel>(shown.Preview, "GifImage");
        auto &view = shown.Preview->View();

        shown.Select(0);
        QTRY_COMPARE(settled.size(), 1);
        QVERIFY(gifImage->isVisible() && !view.isVisible());
        QCOMPARE(gifImage->pixmap().size(), QSize(24, 16));
        QCOMPARE(boxes.Seen.size(), 0); // a GIF is never asked about

        shown.Select(1);
        QTRY_COMPARE(settled.size(), 2);
        QVERIFY(!gifImage->isVisible() && view.isVisible());
        QCOMPARE(view.Picture().size(), QSize(30, 10));

        // A row whose file has gone leaves the preview as it was.
        shown.Select(2);
        QTest::qWait(50);
        QCOMPARE(settled.size(), 2);
        QCOMPARE(view.Picture().size(), QSize(30, 10));

        shown.List->clearSelection();
        QVERIFY(view.Empty());
        QVERIFY(!gifImage->isVisible());
        Q_UNUSED(png);
    }

    void turnsTurnThePreviewOnly()
    {
        TLibraryFolder folder;
        const QString png = folder.AddPng(QStringLiteral("a.png"), 40, 20);
        const QByteArray bytes = Bytes(png);
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        QSignalSpy settled(shown.Preview, &TPicturePreview::Settled);
        shown.Select(0);
        QTRY_COMPARE(settled.size(), 1);
        const QImage original = shown.Preview->View().Picture().copy();

        QTest::keyClick(shown.List, Qt::Key_L, Qt::AltModifier);
        QCOMPARE(shown.Preview->View().Picture(), RotatePicture(original, -90));
        shown.Trigger("TurnRightAction");
        shown.Trigger("TurnRightAction");
        QCOMPARE(shown.Preview->View().Picture(), RotatePicture(original, 90));
        QCOMPARE(Bytes(png), bytes);
    }

    void viewOpensTheViewerAtTheRow()
    {
        TLibraryFolder folder;
        const QString a = folder.AddPng(QStringLiteral("a.png"));
        const QString b = folder.AddPng(QStringLiteral("b.png"));
        const QString c = folder.AddPng(QStringLiteral("c.png"));
        TShownForm shown(folder.Library);
        QTRY_VERIFY(shown.Loaded());
        QList<std::pair<QStringList, int>> opened;
        shown.Form->SetViewer([&](QWidget *, const QStringList &paths, int index) { opened.append({paths, index}); });

        shown.Trigger("ViewAction"); // nothing selected: nothing opens
        QCOMPARE(opened.size(), 0);
        shown.Select(1);
        QTest::keyClick(shown.List, Qt::Key_Return);
        const QRect cell = shown.List->visualRect(shown.List->model()->index(2, 1));
        // A user's double click: a click, then the second press.
        QTest::mouseClick(shown.List->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(shown.List->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(shown.List->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].first, (QStringList{a, b, c}));
        QCOMPARE(opened[0].second, 1);
        QCOMPARE(opened[1].second, 2);
    }

    // Closing while a large library fills the list ends the loader at once:
    // no more rows come afterwards.
    void closeMidLoad()
    {
        TLibraryFolder folder;
        folder.AddRecords(100000);
        auto form = std::make_unique<TImageLibraryForm>(folder.Library);
        form->show();
        QTRY_VERIFY(form->Model().Count() > 0);
        form->reject();
        const int rows = form->Model().Count();
        QTest::qWait(50);
        QCOMPARE(form->Model().Count(), rows);
        QVERIFY(!form->isVisible());
    }

    void stoppedLoaderCallsNothingMore()
    {
        TLibraryFolder folder;
        folder.AddRecords(3 * TLoadImageThread::kBatch);
        int batches = 0;
        bool ended = false;
        std::unique_ptr<TLoadImageThread> thread;
        TLoadImageThread::TSink sink;
        int announced = -1;
        sink.Begin = [&](int count) { announced = count; };
        sink.Records = [&](const std::vector<const TImageDetail *> &records, int lastIndex) {
            ++batches;
            QCOMPARE(int(records.size()), TLoadImageThread::kBatch);
            QCOMPARE(lastIndex, TLoadImageThread::kBatch - 1);
            thread->Stop();
        };
        sink.End = [&] { ended = true; };
        thread = std::make_unique<TLoadImageThread>(folder.Library, sink);
        thread->Start();
        QTRY_COMPARE(batches, 1);
        thread->Wait();
        QTest::qWait(20);
        QCOMPARE(announced, 3 * TLoadImageThread::kBatch);
        QCOMPARE(batches, 1);
        QVERIFY(!ended);
    }

    void helpShowsTheLibraryTopic()
    {
        TLibraryFolder folder;
        TImageLibraryForm form(folder.Library);
        Child<QAction>(&form, "HelpAction")->trigger();
        QVERIFY(HelpWindow());
        QVERIFY2(HelpWindow()->Browser()->source().toString().contains(QStringLiteral("Library Window")),
                 qPrintable(HelpWindow()->Browser()->source().toString()));
        HelpWindow()->close();
    }
};

QTEST_MAIN(ImageLibraryFormTest)
#include "ImageLibraryForm_qtest.moc"
