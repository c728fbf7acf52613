#include "CopyLibraryTestSupport.h"

#include "engine/ProgramHome.h"
#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ui/CollectModel.h"
#include "images/ui/CollectThreads.h"
#include "images/ui/CopyPicturesForm.h"
#include "widgets/HtmlHelp.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>

using namespace copytest;

Q_DECLARE_METATYPE(TCollectModel::TRow)

namespace {

// A task folder whose "Saved" folder holds pictures of known sizes, all
// recorded in a library, plus files the library does not know.
struct TTaskFolder {
    QTemporaryDir Root;
    QString Task;  // the task's save folder, ending with "/"
    QString Saved; // Task + "Saved/"
    QString Dest;
    TImageLibrary Library;

    TTaskFolder()
    {
        Task = Root.path() + QStringLiteral("/task/");
        Saved = Task + QStringLiteral("Saved/");
        Dest = Root.path() + QStringLiteral("/dest/");
        QDir().mkpath(Saved);
        QDir().mkpath(Dest);
        SetProgramHome(Root.path() + QLatin1Char('/'));
    }
    // A picture recorded in the library.
    QString Add(const QString &name, int width, int height)
    {
        const QString path = Saved + name;
        WritePng(path, width, height);
        AddImageFile(Library, path);
        return path;
    }
    QString AddUnknown(const QString &name, const QByteArray &bytes = "not recorded")
    {
        WriteText(Saved + name, bytes);
        return Saved + name;
    }
};

std::unique_ptr<TCopyPicturesForm> ShowForm(TTaskFolder &folder)
{
    auto form = std::make_unique<TCopyPicturesForm>(&folder.Library);
    form->SetTaskFolder(folder.Task);
    form->SetDestFolder(folder.Dest);
    form->show();
    return form;
}

QStringList Column(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

QStringList CheckedNames(const TCollectModel &model)
{
    QStringList names;
    for (int row : model.CheckedRows())
        names << model.Rows()[size_t(row)].Name;
    return names;
}

void Click(QWidget *owner, const char *button)
{
    QTest::mouseClick(Child<QPushButton>(owner, button), Qt::LeftButton);
}

TCollectModel::TRow Row(const QString &name, qint64 bytes, int width = -2, int height = -2)
{
    TCollectModel::TRow row;
    row.Path = QStringLiteral("/pictures/") + name;
    row.Name = name;
    row.Size = bytes;
    row.Known = width != -2;
    row.Width = width;
    row.Height = height;
    return row;
}

} // namespace

class CopyPicturesFormTest : public QObject
{
    Q_OBJECT

private slots:
    void folderLabels_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("dest");
        const QString thirty = QStringLiteral("/home/user/pictures/tasks/abc/"); // 30 characters with the separator
        QTest::newRow("30 characters: whole")
            << thirty << thirty + QStringLiteral("Saved/") << thirty;
        QTest::newRow("31 characters: cut after 30")
            << thirty + QStringLiteral("c") << thirty + QStringLiteral(".../Saved/") << thirty + QStringLiteral("...");
    }
    void folderLabels()
    {
        QFETCH(QString, task);
        QFETCH(QString, source);
        QFETCH(QString, dest);
        QCOMPARE(SourceFolderText(task), source);
        QCOMPARE(ShortFolderText(task), dest);
    }

    void selectRules_data()
    {
        QTest::addColumn<TCollectModel::TRow>("row");
        QTest::addColumn<bool>("pixelLimit");
        QTest::addColumn<bool>("sizeLimit");
        QTest::addColumn<bool>("ticked");
        const qint64 kb100 = 100 * 1024;
        QTest::newRow("300 x 300, exactly 100 KB, both limits") << Row("a.jpg", kb100, 300, 300) << true << true << true;
        QTest::newRow("299 x 300") << Row("a.jpg", kb100, 299, 300) << true << true << false;
        QTest::newRow("300 x 299") << Row("a.jpg", kb100, 300, 299) << true << false << false;
        QTest::newRow("99 KB (a byte short of 100)") << Row("a.jpg", kb100 - 1, 300, 300) << true << true << false;
        QTest::newRow("99 KB, no size limit") << Row("a.jpg", kb100 - 1, 300, 300) << true << false << true;
        QTest::newRow(".jpe is none of the nine") << Row("a.jpe", kb100, 300, 300) << false << false << false;
        QTest::newRow("no extension") << Row("jpg", kb100) << false << false << false;
        QTest::newRow("extension in capitals") << Row("A.JPEG", kb100, 400, 400) << true << true << true;
        QTest::newRow("unknown to the library, pixel limit") << Row("a.png", kb100) << true << false << false;
        QTest::newRow("unknown to the library, no limits") << Row("a.png", 10) << false << false << true;
        QTest::newRow("undecodable (-1 x -1), pixel limit") << Row("a.bmp", kb100, -1, -1) << true << false << false;
        QTest::newRow("format box unticked") << Row("a.wmf", kb100, 300, 300) << false << false << false;
    }
    void selectRules()
    {
        QFETCH(TCollectModel::TRow, row);
        QFETCH(bool, pixelLimit);
        QFETCH(bool, sizeLimit);
        QFETCH(bool, ticked);
        TCollectFilter filter;
        for (const QString &format : TCollectFilter::AllFormats())
            filter.Formats.insert(format);
        filter.Formats.remove(QStringLiteral(".wmf"));
        filter.LimitImageSize = pixelLimit;
        filter.LimitFileSize = sizeLimit;
        QCOMPARE(TCollectModel::Selects(filter, row), ticked);
    }

    void listsTheSavedFolderWithLibrarySizes()
    {
        TTaskFolder folder;
        folder.Add(QStringLiteral("big.png"), 320, 310);
        folder.Add(QStringLiteral("small.png"), 40, 30);
        folder.AddUnknown(QStringLiteral("unknown.jpg"));
        folder.AddUnknown(QStringLiteral("half.jpg!!wr"));
        auto form = ShowForm(folder);
        QAbstractItemModelTester tester(Child<QTreeView>(form.get(), "ImagesListView")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Until the loader is done, nothing can be selected or copied.
        QVERIFY(!Child<QPushButton>(form.get(), "CopyButton")->isEnabled());
        QTRY_VERIFY(form->Ready());
        for (const char *button : {"CopyButton", "SelectButton", "UnselectButton"})
            QVERIFY(Child<QPushButton>(form.get(), button)->isEnabled());

        const TCollectModel &model = form->Model();
        QCOMPARE(Column(model, TCollectModel::ColName), (QStringList{"big.png", "small.png", "unknown.jpg"}));
        QCOMPARE(Column(model, TCollectModel::ColExt), (QStringList{".png", ".png", ".jpg"}));
        QCOMPARE(Column(model, TCollectModel::ColWidth), (QStringList{"320", "40", ""}));
        QCOMPARE(Column(model, TCollectModel::ColHeight), (QStringList{"310", "30", ""}));
        QCOMPARE(Column(model, TCollectModel::ColSize).last(), QStringLiteral("0 KB"));
        QCOMPARE(Child<QLabel>(form.get(), "SourceFolderLabel")->text(), SourceFolderText(folder.Task));
        QCOMPARE(Child<QLabel>(form.get(), "StateLabel")->text(), QString());
        QCOMPARE(form->windowTitle(), QStringLiteral("Collect images"));
    }

    void selectThroughTheWindow()
    {
        TTaskFolder folder;
        folder.Add(QStringLiteral("big.png"), 320, 310);
        folder.Add(QStringLiteral("small.png"), 40, 30);
        folder.Add(QStringLiteral("wide.gif.png"), 400, 100);
        folder.AddUnknown(QStringLiteral("unknown.jpg"));
        folder.AddUnknown(QStringLiteral("other.jpe"));
        auto form = ShowForm(folder);
        QTRY_VERIFY(form->Ready());

        Click(form.get(), "SelectButton");
        QCOMPARE(CheckedNames(form->Model()), (QStringList{"big.png", "small.png", "unknown.jpg", "wide.gif.png"}));

        // The limit's inputs wake with its box.
        auto *limit = Child<QCheckBox>(form.get(), "LimitImageSizeCheck");
        auto *width = Child<QSpinBox>(form.get(), "WidthUpDown");
        QVERIFY(!width->isEnabled());
        QTest::mouseClick(limit, Qt::LeftButton, {}, QPoint(5, limit->height() / 2));
        QVERIFY(width->isEnabled());
        QCOMPARE(width->value(), 300);
        Click(form.get(), "SelectButton");
        QCOMPARE(CheckedNames(form->Model()), QStringList{"big.png"});

        Child<QCheckBox>(form.get(), "PNGCheck")->setChecked(false);
        Click(form.get(), "SelectButton");
        QCOMPARE(CheckedNames(form->Model()), QStringList());

        Child<QCheckBox>(form.get(), "PNGCheck")->setChecked(true);
        Click(form.get(), "SelectButton");
        Click(form.get(), "UnselectButton");
        QCOMPARE(CheckedNames(form->Model()), QStringList());
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        const QString wait = QStringLiteral("Please waiting for the update !");
        QTest::newRow("select before the loader is done") << false << "Select" << "Wait" << wait;
        QTest::newRow("copy before the loader is done") << false << "Copy" << "Wait" << wait;
        QTest::newRow("copy with nothing ticked")
            << true << "Copy" << "Error" << QStringLiteral("Please choose images by click \"select\" button first !");
    }
    void refusals()
    {
        QFETCH(bool, ready);
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        TTaskFolder folder;
        folder.Add(QStringLiteral("big.png"), 320, 310);
        auto form = std::make_unique<TCopyPicturesForm>(&folder.Library);
        form->SetTaskFolder(folder.Task);
        if (ready) {
            form->show();
            QTRY_VERIFY(form->Ready());
        }
        TMessageBoxes boxes;
        if (button == QLatin1String("Select"))
            form->SelectButtonClick();
        else
            form->CopyButtonClick();
        QCOMPARE(boxes.Seen.size(), 1);
        QCOMPARE(boxes.Seen.first().Caption, caption);
        QCOMPARE(boxes.Seen.first().Text, text);
        QCOMPARE(boxes.Seen.first().Icon, caption == QLatin1String("Error") ? QMessageBox::Critical : QMessageBox::Information);
        QCOMPARE(CheckedNames(form->Model()), QStringList());
    }

    void copyAsksOnceWithNoPrompt()
    {
        TTaskFolder folder;
        folder.Add(QStringLiteral("a.png"), 320, 310);
        folder.Add(QStringLiteral("b.png"), 320, 310);
        folder.Add(QStringLiteral("c.png"), 320, 310);
        WriteText(folder.Dest + QStringLiteral("a.png"), "old a");
        WriteText(folder.Dest + QStringLiteral("c.png"), "old c");
        auto form = ShowForm(folder);
        QTRY_VERIFY(form->Ready());
        Click(form.get(), "SelectButton");

        int dialogs = 0;
        TModalAnswer skipAll([&](QWidget *modal) {
            ++dialogs;
            QCOMPARE(modal->windowTitle(), QStringLiteral("Override file"));
            QCOMPARE(Child<QLabel>(modal, "FileNameLabel")->text(), QStringLiteral("a.png"));
            Child<QCheckBox>(modal, "NoPromptCheck")->setChecked(true);
            Click(modal, "SkipButton");
        });
        TMessageBoxes boxes;
        Click(form.get(), "CopyButton");
        QCOMPARE(Child<QPushButton>(form.get(), "CloseButton")->text(), QStringLiteral("&Cancel"));
        QVERIFY(!Child<QPushButton>(form.get(), "SelectButton")->isEnabled());
        QTRY_COMPARE(boxes.Seen.size(), 1);
        QCOMPARE(boxes.Seen.first().Caption, QStringLiteral("Information"));
        QCOMPARE(boxes.Seen.first().Text, QStringLiteral("Selected images copied !"));
        QCOMPARE(dialogs, 1);
        QCOMPARE(Bytes(folder.Dest + QStringLiteral("a.png")), QByteArray("old a"));
        QCOMPARE(Bytes(folder.Dest + QStringLiteral("b.png")), Bytes(folder.Saved + QStringLiteral("b.png")));
        QCOMPARE(Bytes(folder.Dest + QStringLiteral("c.png")), QByteArray("old c"));
        QTRY_COMPARE(Child<QPushButton>(form.get(), "CloseButton")->text(), QStringLiteral("&Close"));
        QVERIFY(Child<QPushButton>(form.get(), "SelectButton")->isEnabled());
        QCOMPARE(TemporaryFiles(folder.Dest), QStringList());
    }

    void copyIntoUnwritableFolderSaysSo()
    {
        TTaskFolder folder;
        folder.Add(QStringLiteral("a.png"), 320, 310);
        folder.Add(QStringLiteral("b.png"), 320, 310);
        auto form = ShowForm(folder);
        form->SetDestFolder(UnwritableFolder(folder.Root.path()));
        QTRY_VERIFY(form->Ready());
        Click(form.get(), "SelectButton");
        TMessageBoxes boxes;
        Click(form.get(), "CopyButton");
        QTRY_COMPARE(boxes.Seen.size(), 1);
        QCOMPARE(boxes.Seen.first().Caption, QStringLiteral("Error"));
        QVERIFY2(boxes.Seen.first().Text.startsWith(QStringLiteral("2 image(s) could not be copied !")),
                 qPrintable(boxes.Seen.first().Text));
    }

    // Closing while the copy waits for the user's answer: the window closes
    // at once, the answer given afterwards copies nothing, and no finishing
    // message comes.
    void closeWhileAskingEndsTheCopy()
    {
        TTaskFolder folder;
        folder.Add(QStringLiteral("a.png"), 320, 310);
        folder.Add(QStringLiteral("b.png"), 320, 310);
        WriteText(folder.Dest + QStringLiteral("a.png"), "old a");
        auto form = ShowForm(folder);
        QTRY_VERIFY(form->Ready());
        Click(form.get(), "SelectButton");
        TModalAnswer closeThenOverride([&](QWidget *modal) {
            form->reject();
            QVERIFY(!form->isVisible());
            QVERIFY(!form->Copying());
            Click(modal, "OverwriteButton");
        });
        TMessageBoxes boxes;
        Click(form.get(), "CopyButton");
        QTRY_VERIFY(closeThenOverride.Fired());
        QTest::qWait(50);
        QCOMPARE(boxes.Seen.size(), 0);
        QCOMPARE(Bytes(folder.Dest + QStringLiteral("a.png")), QByteArray("old a"));
        QVERIFY(!QFile::exists(folder.Dest + QStringLiteral("b.png")));
        QCOMPARE(TemporaryFiles(folder.Dest), QStringList());
    }

    // Closing at any moment of a copy of large files: whatever was under
    // way, no target is left half-written and nothing more is said.
    void closeMidCopyLeavesWholeFilesOnly()
    {
        TTaskFolder folder;
        const qint64 size = qint64(48) << 20;
        for (const QString &name : {QStringLiteral("1.png"), QStringLiteral("2.png"), QStringLiteral("3.png")}) {
            QFile big(folder.Saved + name);
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(size));
        }
        auto form = ShowForm(folder);
        QTRY_VERIFY(form->Ready());
        Click(form.get(), "SelectButton");
        QCOMPARE(form->Model().CheckedRows().size(), size_t(3));
        TMessageBoxes boxes;
        Click(form.get(), "CopyButton");
        QTest::qWait(20);
        form->reject();
        QVERIFY(!form->Copying());
        QTest::qWait(50);
        QCOMPARE(boxes.Seen.size(), 0);
        QCOMPARE(TemporaryFiles(folder.Dest), QStringList());
        for (const QString &name : QDir(folder.Dest).entryList(QDir::Files))
            QCOMPARE(QFileInfo(folder.Dest + name).size(), size);
    }

    // Closing while the loader runs ends it: nothing of it reaches the
    // window afterwards.
    void closeMidLoad()
    {
        TTaskFolder folder;
        for (int n = 0; n < 3000; ++n)
            folder.AddUnknown(QStringLiteral("p%1.jpg").arg(n), "x");
        auto form = ShowForm(folder);
        form->reject();
        QVERIFY(!form->Ready());
        const QString label = Child<QLabel>(form.get(), "StateLabel")->text();
        const int value = Child<QProgressBar>(form.get(), "ProgressBar")->value();
        QTest::qWait(50);
        QVERIFY(!form->Ready());
        QCOMPARE(Child<QLabel>(form.get(), "StateLabel")->text(), label);
        QCOMPARE(Child<QProgressBar>(form.get(), "ProgressBar")->value(), value);
    }

    // The same at the thread's own level, stopped from inside its progress
    // step: no further step and no finishing call.
    void stoppedLoaderCallsNothingMore()
    {
        TTaskFolder folder;
        QStringList paths;
        for (int n = 0; n < 3 * TLoadThread::kBatch; ++n)
            paths << folder.Saved + QStringLiteral("p%1.png").arg(n);
        int steps = 0;
        bool finished = false;
        std::unique_ptr<TLoadThread> thread;
        TProgressSink sink;
        sink.Progress = [&](int) {
            ++steps;
            thread->Stop();
        };
        sink.Finished = [&](const QString &) { finished = true; };
        thread = std::make_unique<TLoadThread>(&folder.Library, paths, sink, nullptr);
        QCOMPARE(thread->Maximum(), int(paths.size()) - 1);
        thread->Start();
        QTRY_COMPARE(steps, 1);
        thread->Wait();
        QTest::qWait(20);
        QCOMPARE(steps, 1);
        QVERIFY(!finished);
    }

    void stoppedCopierCopiesNothingMore()
    {
        TTaskFolder folder;
        const QString a = folder.Add(QStringLiteral("a.png"), 10, 10);
        const QString b = folder.Add(QStringLiteral("b.png"), 10, 10);
        WriteText(folder.Dest + QStringLiteral("a.png"), "old a");
        bool finished = false;
        std::unique_ptr<TCopyThread> thread;
        TProgressSink sink;
        sink.Finished = [&](const QString &) { finished = true; };
        int asked = 0;
        thread = std::make_unique<TCopyThread>(folder.Dest, std::vector<TCopyThread::TItem>{{0, a}, {1, b}}, 2, sink,
                                               [&](const QString &, const QString &) {
                                                   ++asked;
                                                   thread->Stop();
                                                   return TOverwriteAnswer{TOverwriteDecision::Overwrite, false};
                                               });
        QCOMPARE(thread->Maximum(), 1);
        thread->Start();
        QTRY_COMPARE(asked, 1);
        thread->Wait();
        QTest::qWait(20);
        QVERIFY(!finished);
        QCOMPARE(Bytes(folder.Dest + QStringLiteral("a.png")), QByteArray("old a"));
        QVERIFY(!QFile::exists(folder.Dest + QStringLiteral("b.png")));
    }

    void helpShowsTheCollectTopic()
    {
        TTaskFolder folder;
        TCopyPicturesForm form(&folder.Library);
        Click(&form, "HelpButton");
        QVERIFY(HelpWindow());
        QVERIFY2(HelpWindow()->Browser()->source().toString().contains(QStringLiteral("Collect Window")),
                 qPrintable(HelpWindow()->Browser()->source().toString()));
        HelpWindow()->close();
    }
};

QTEST_MAIN(CopyPicturesFormTest)
#include "CopyPicturesForm_qtest.moc"
