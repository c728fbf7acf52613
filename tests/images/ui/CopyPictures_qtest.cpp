#include "CopyLibraryTestSupport.h"

#include "engine/Errors.h"
#include "engine/StopGate.h"
#include "images/ui/ConfirmOverwriteForm.h"
#include "images/ui/CopyPictures.h"
#include "images/ui/FileTransfer.h"
#include "images/ui/ImageScrollBox.h"
#include "images/ui/PicturePreview.h"
#include "widgets/ErrorReport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <thread>

using namespace copytest;

Q_DECLARE_METATYPE(TOverwriteDecision)

namespace {

// Records what the error report says instead of showing it.
class TErrors
{
public:
    TErrors()
    {
        SetErrorReporter([this](QWidget *, const QString &text) { Texts.append(text); });
    }
    ~TErrors() { SetErrorReporter({}); }
    QStringList Texts;
};

// A source folder with files a.jpg, b.jpg, c.jpg ("A", "B", "C") and a
// target folder holding some of them already ("old a", ...).
struct TFolders {
    QTemporaryDir Root;
    QString Source;
    QString Target;

    explicit TFolders(const QStringList &existing)
    {
        Source = Root.path() + QStringLiteral("/source/");
        Target = Root.path() + QStringLiteral("/target/");
        QDir().mkpath(Source);
        QDir().mkpath(Target);
        for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
            WriteText(Source + name + QStringLiteral(".jpg"), name.toUpper().toLatin1());
        for (const QString &name : existing)
            WriteText(Target + name + QStringLiteral(".jpg"), "old " + name.toLatin1());
    }
    QStringList Files() const
    {
        return {Source + QStringLiteral("a.jpg"), Source + QStringLiteral("b.jpg"), Source + QStringLiteral("c.jpg")};
    }
    // The target folder's files and contents, "name=content" sorted.
    QStringList TargetContents() const
    {
        QStringList contents;
        for (const QString &name : QDir(Target).entryList(QDir::Files, QDir::Name))
            contents << name + QLatin1Char('=') + QString::fromLatin1(Bytes(Target + name));
        return contents;
    }
};

dev_t DeviceOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(-1);
}

} // namespace

class CopyPicturesTest : public QObject
{
    Q_OBJECT

private slots:
    // ---- One file ---------------------------------------------------------

    void copyReplacing_data()
    {
        QTest::addColumn<QByteArray>("existing"); // the target's bytes before; null: none
        QTest::newRow("free target") << QByteArray();
        QTest::newRow("existing target is replaced") << QByteArray("an older, longer picture");
    }
    void copyReplacing()
    {
        QFETCH(QByteArray, existing);
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/photo.jpg");
        const QString target = dir.path() + QStringLiteral("/out/photo.jpg");
        QDir().mkpath(dir.path() + QStringLiteral("/out"));
        WriteText(source, "new bytes");
        QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (!existing.isNull())
            WriteText(target, existing);

        QCOMPARE(CopyFileReplacing(source, target), TTransferResult::Done);
        QCOMPARE(Bytes(target), QByteArray("new bytes"));
        QCOMPARE(int(QFileInfo(target).permissions()), int(QFileInfo(source).permissions()));
        QCOMPARE(Bytes(source), QByteArray("new bytes"));
        QCOMPARE(TemporaryFiles(dir.path() + QStringLiteral("/out")), QStringList());
    }

    void copyOntoItselfChangesNothing()
    {
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/photo.jpg");
        WriteText(source, "bytes");
        QCOMPARE(CopyFileReplacing(source, dir.path() + QStringLiteral("//photo.jpg")), TTransferResult::Done);
        QCOMPARE(Bytes(source), QByteArray("bytes"));
        QCOMPARE(TemporaryFiles(dir.path()), QStringList());
    }

    void copyFailureLeavesTargetAlone_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("source missing") << QStringLiteral("missing");
        QTest::newRow("source is a folder") << QStringLiteral("folder");
        QTest::newRow("target folder cannot be written") << QStringLiteral("unwritable");
        QTest::newRow("target is a folder") << QStringLiteral("target folder");
    }
    void copyFailureLeavesTargetAlone()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        QString source = dir.path() + QStringLiteral("/photo.jpg");
        QString target = dir.path() + QStringLiteral("/out/photo.jpg");
        QDir().mkpath(dir.path() + QStringLiteral("/out"));
        WriteText(source, "bytes");
        WriteText(target, "old");
        if (situation == QLatin1String("missing")) {
            source = dir.path() + QStringLiteral("/gone.jpg");
        } else if (situation == QLatin1String("folder")) {
            source = dir.path() + QStringLiteral("/out");
        } else if (situation == QLatin1String("unwritable")) {
            target = UnwritableFolder(dir.path()) + QStringLiteral("/photo.jpg");
        } else {
            target = dir.path() + QStringLiteral("/out/folder.jpg");
            QDir().mkpath(target);
        }
        QVERIFY_THROWS_EXCEPTION(EZavelonError, CopyFileReplacing(source, target));
        QCOMPARE(Bytes(dir.path() + QStringLiteral("/out/photo.jpg")), QByteArray("old"));
        QCOMPARE(TemporaryFiles(dir.path() + QStringLiteral("/out")), QStringList());
    }

    void stoppedCopyNeverTouchesTarget()
    {
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/big.bin");
        const QString target = dir.path() + QStringLiteral("/out.bin");
        {
            QFile big(source);
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(qint64(64) << 20)); // sparse: cheap to make, many pieces to copy
        }
        WriteText(target, "old");

        auto stopped = std::make_shared<TStopGate>();
        stopped->Stop();
        QCOMPARE(CopyFileReplacing(source, target, stopped.get()), TTransferResult::Stopped);
        QCOMPARE(Bytes(target), QByteArray("old"));
        QCOMPARE(TemporaryFiles(dir.path()), QStringList());

        // A stop from another thread while the copy runs: whichever comes
        // first, the target is either the old file or the whole copy.
        auto racing = std::make_shared<TStopGate>();
        std::thread stopper([racing] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            racing->Stop();
        });
        const TTransferResult result = CopyFileReplacing(source, target, racing.get());
        stopper.join();
        if (result == TTransferResult::Stopped)
            QCOMPARE(Bytes(target), QByteArray("old"));
        else
            QCOMPARE(QFileInfo(target).size(), qint64(64) << 20);
        QCOMPARE(TemporaryFiles(dir.path()), QStringList());
    }

    void moveReplacesTarget()
    {
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/photo.jpg");
        const QString target = dir.path() + QStringLiteral("/photo[0].jpg");
        WriteText(source, "new");
        WriteText(target, "old");
        MoveFileReplacing(source, target);
        QVERIFY(!QFile::exists(source));
        QCOMPARE(Bytes(target), QByteArray("new"));
    }

    void moveFailureKeepsSource_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("onto itself") << QStringLiteral("itself");
        QTest::newRow("target folder cannot be written") << QStringLiteral("unwritable");
    }
    void moveFailureKeepsSource()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/photo.jpg");
        WriteText(source, "bytes");
        const QString target = situation == QLatin1String("itself") ? dir.path() + QStringLiteral("/./photo.jpg")
                                                               : UnwritableFolder(dir.path()) + QStringLiteral("/photo.jpg");
        QVERIFY_THROWS_EXCEPTION(EZavelonError, MoveFileReplacing(source, target));
        QCOMPARE(Bytes(source), QByteArray("bytes"));
    }

    void moveAcrossFileSystemsCopiesThenDeletes()
    {
        QTemporaryDir here;
        QTemporaryDir there(QStringLiteral("/dev/shm/zavelon-move-XXXXXX"));
        if (!there.isValid() || DeviceOf(here.path()) == DeviceOf(there.path()))
            QSKIP("no second file system to move across (needs /dev/shm on its own device)");
        const QString source = here.path() + QStringLiteral("/photo.jpg");
        const QString target = there.path() + QStringLiteral("/photo.jpg");
        WriteText(source, "bytes");
        WriteText(target, "old");
        MoveFileReplacing(source, target);
        QVERIFY(!QFile::exists(source));
        QCOMPARE(Bytes(target), QByteArray("bytes"));
        QCOMPARE(TemporaryFiles(there.path()), QStringList());
    }

    // ---- Copy to / Move to ------------------------------------------------

    void conflictRules_data()
    {
        QTest::addColumn<bool>("move");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<TOverwriteDecision>("decision");
        QTest::addColumn<bool>("noPrompt");
        QTest::addColumn<QStringList>("asked"); // targets asked about, in order
        QTest::addColumn<QStringList>("result"); // the target folder afterwards

        const QStringList ac = {QStringLiteral("a"), QStringLiteral("c")};
        QTest::newRow("no conflict, nothing asked")
            << false << QStringList() << TOverwriteDecision::Skip << false << QStringList()
            << QStringList{"a.jpg=A", "b.jpg=B", "c.jpg=C"};
        QTest::newRow("skip, asked every time")
            << false << ac << TOverwriteDecision::Skip << false << QStringList{"a.jpg", "c.jpg"}
            << QStringList{"a.jpg=old a", "b.jpg=B", "c.jpg=old c"};
        QTest::newRow("skip, no prompt: later conflicts skipped, free targets copied")
            << false << ac << TOverwriteDecision::Skip << true << QStringList{"a.jpg"}
            << QStringList{"a.jpg=old a", "b.jpg=B", "c.jpg=old c"};
        QTest::newRow("rename, no prompt: every conflict renamed without asking")
            << false << ac << TOverwriteDecision::Rename << true << QStringList{"a.jpg"}
            << QStringList{"a.jpg=old a", "a[0].jpg=A", "b.jpg=B", "c.jpg=old c", "c[0].jpg=C"};
        QTest::newRow("overwrite")
            << false << ac << TOverwriteDecision::Overwrite << false << QStringList{"a.jpg", "c.jpg"}
            << QStringList{"a.jpg=A", "b.jpg=B", "c.jpg=C"};
        QTest::newRow("move walks from the last")
            << true << ac << TOverwriteDecision::Overwrite << false << QStringList{"c.jpg", "a.jpg"}
            << QStringList{"a.jpg=A", "b.jpg=B", "c.jpg=C"};
        QTest::newRow("move, skip with no prompt")
            << true << ac << TOverwriteDecision::Skip << true << QStringList{"c.jpg"}
            << QStringList{"a.jpg=old a", "b.jpg=B", "c.jpg=old c"};
    }
    void conflictRules()
    {
        QFETCH(bool, move);
        QFETCH(QStringList, existing);
        QFETCH(TOverwriteDecision, decision);
        QFETCH(bool, noPrompt);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, result);
        TFolders folders(existing);
        TErrors errors;
        QStringList askedAbout;
        const auto ask = [&](const QString &source, const QString &target) {
            askedAbout << QFileInfo(target).fileName();
            [&] { QCOMPARE(QFileInfo(source).fileName(), QFileInfo(target).fileName()); }();
            return TOverwriteAnswer{decision, noPrompt};
        };
        const TCopyPicturesResult done = TransferPictures(nullptr, folders.Files(), folders.Target, move, ask);

        QCOMPARE(askedAbout, asked);
        QCOMPARE(folders.TargetContents(), result);
        QCOMPARE(errors.Texts, QStringList());
        QVERIFY(done.Failed.isEmpty());
        // A moved source is gone and reported; a skipped one stays.
        for (const QString &source : folders.Files())
            QCOMPARE(done.Moved.contains(source), move && !QFile::exists(source));
        if (!move) {
            QVERIFY(done.Moved.isEmpty());
            QCOMPARE(QDir(folders.Source).count(), 3u + 2u);
        }
    }

    void unwritableFolderIsReportedOnce_data()
    {
        QTest::addColumn<bool>("move");
        QTest::newRow("copy") << false;
        QTest::newRow("move") << true;
    }
    void unwritableFolderIsReportedOnce()
    {
        QFETCH(bool, move);
        TFolders folders({});
        TErrors errors;
        const TCopyPicturesResult done =
            TransferPictures(nullptr, folders.Files(), UnwritableFolder(folders.Root.path()), move,
                             [](const QString &, const QString &) { return TOverwriteAnswer{}; });
        QCOMPARE(done.Failed.size(), 3);
        QVERIFY(done.Moved.isEmpty());
        QCOMPARE(errors.Texts.size(), 1);
        QVERIFY2(errors.Texts.first().startsWith(QStringLiteral("3 image(s) could not be ")), qPrintable(errors.Texts.first()));
        for (const QString &source : folders.Files())
            QVERIFY(QFile::exists(source));
    }

    void moveIntoItsOwnFolderKeepsTheRow()
    {
        TFolders folders({});
        TErrors errors;
        const TCopyPicturesResult done = TransferPictures(
            nullptr, {folders.Files().first()}, folders.Source, true,
            [](const QString &, const QString &) { return TOverwriteAnswer{TOverwriteDecision::Overwrite, false}; });
        QVERIFY(done.Moved.isEmpty());
        QCOMPARE(Bytes(folders.Files().first()), QByteArray("A"));
    }

    void copyToAsksForTheFolder()
    {
        TFolders folders({});
        QString title;
        {
            TModalAnswer cancel([&](QWidget *modal) {
                title = modal->windowTitle();
                qobject_cast<QDialog *>(modal)->reject();
            });
            const TCopyPicturesResult done = CopyPicturesTo(nullptr, folders.Files(), false);
            QVERIFY(cancel.Fired());
            QVERIFY(done.Folder.isEmpty());
        }
        QCOMPARE(title, QStringLiteral("Copy to ..."));
        QCOMPARE(folders.TargetContents(), QStringList());

        TModalAnswer choose([&](QWidget *modal) {
            auto *picker = qobject_cast<QFileDialog *>(modal);
            QVERIFY(picker);
            picker->setDirectory(folders.Target);
            static_cast<QDialog *>(picker)->accept();
        });
        const TCopyPicturesResult done = CopyPicturesTo(nullptr, folders.Files(), false);
        QVERIFY(choose.Fired());
        QCOMPARE(QDir(done.Folder), QDir(folders.Target));
        QCOMPARE(folders.TargetContents(), (QStringList{"a.jpg=A", "b.jpg=B", "c.jpg=C"}));
    }

    // ---- The overwrite dialog ---------------------------------------------

    void dialogAnswers_data()
    {
        QTest::addColumn<QString>("button"); // object name, or "Escape"
        QTest::addColumn<bool>("tick");
        QTest::addColumn<TOverwriteDecision>("decision");
        QTest::newRow("override") << QStringLiteral("OverwriteButton") << false << TOverwriteDecision::Overwrite;
        QTest::newRow("rename, no prompt") << QStringLiteral("RenameButton") << true << TOverwriteDecision::Rename;
        QTest::newRow("skip") << QStringLiteral("SkipButton") << false << TOverwriteDecision::Skip;
        // Leaving the dialog replaces nothing.
        QTest::newRow("Esc skips") << QStringLiteral("Escape") << true << TOverwriteDecision::Skip;
    }
    void dialogAnswers()
    {
        QFETCH(QString, button);
        QFETCH(bool, tick);
        QFETCH(TOverwriteDecision, decision);
        QTemporaryDir dir;
        const QString source = dir.path() + QStringLiteral("/photo.png");
        WritePng(source, 10, 10);
        QString title, fileName;
        TModalAnswer answer([&](QWidget *modal) {
            title = modal->windowTitle();
            fileName = Child<QLabel>(modal, "FileNameLabel")->text();
            if (tick)
                QTest::mouseClick(Child<QCheckBox>(modal, "NoPromptCheck"), Qt::LeftButton);
            if (button == QLatin1String("Escape"))
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                QTest::mouseClick(Child<QPushButton>(modal, qPrintable(button)), Qt::LeftButton);
        });
        const TOverwriteAnswer got = AskOverwrite(nullptr, source, dir.path() + QStringLiteral("/out/target.png"), false);
        QVERIFY(answer.Fired());
        QCOMPARE(title, QStringLiteral("Override file"));
        QCOMPARE(fileName, QStringLiteral("target.png"));
        QCOMPARE(got.Decision, decision);
        QCOMPARE(got.NoPrompt, tick);
    }

    void dialogPreviewsBothFiles()
    {
        QTemporaryDir dir;
        const QString gif = dir.path() + QStringLiteral("/new.gif");
        const QString png = dir.path() + QStringLiteral("/old.png");
        fixtures::WriteMagick(gif, "GIF", 30, 20);
        WritePng(png, 40, 60);
        bool checked = false;
        TModalAnswer answer([&](QWidget *modal) {
            auto *source = Child<TPicturePreview>(modal, "SourcePreview");
            auto *dest = Child<TPicturePreview>(modal, "DestPreview");
            QTRY_VERIFY(!source->Busy() && !dest->Busy());
            // The GIF as its first frame at its own size, the other fitted.
            auto *gifImage = Child<QLabel>(source, "GifImage");
            QVERIFY(gifImage->isVisible());
            QCOMPARE(gifImage->pixmap().size(), QSize(30, 20));
            QVERIFY(!Child<TImageScrollBox>(source, "ImageScrollBox")->isVisible());
            auto *view = Child<TImageScrollBox>(dest, "ImageScrollBox");
            QVERIFY(view->isVisible());
            QCOMPARE(view->Picture().size(), QSize(40, 60));
            QCOMPARE(view->ZoomMode(), zmFitToPage);
            checked = true;
            QTest::mouseClick(Child<QPushButton>(modal, "SkipButton"), Qt::LeftButton);
        });
        AskOverwrite(nullptr, gif, png, true);
        QVERIFY(checked);
    }
};

QTEST_MAIN(CopyPicturesTest)
#include "CopyPictures_qtest.moc"
