#include "PicturesTestSupport.h"

#include "images/ImageLibrary.h"
#include "images/ui/ConfirmDeleteForm.h"
#include "images/ui/DeleteByForm.h"
#include "images/ui/DeleteByRules.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

class DeleteByTest : public QObject
{
    Q_OBJECT

private slots:
    void integersTypedByTheUser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("number") << "10" << 10;
        QTest::newRow("spaces around") << " 12 " << 12;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("not a number") << "ten" << 0;
        QTest::newRow("number and text") << "10 KB" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("too large") << "99999999999" << 0;
    }
    void integersTypedByTheUser()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(IntegerOrZero(text), value);
    }

    void fileSizeTakesWholeKilobytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<bool>("candidate");
        QTest::newRow("11263 bytes are 10 KB") << qint64(11263) << "10" << true;
        QTest::newRow("11264 bytes are 11 KB") << qint64(11264) << "10" << false;
        QTest::newRow("0 KB under limit 0") << qint64(1023) << "0" << true;
        QTest::newRow("a text limit is 0") << qint64(1024) << "x" << false;
        QTest::newRow("negative limit takes nothing") << qint64(0) << "-1" << false;
    }
    void fileSizeTakesWholeKilobytes()
    {
        QFETCH(bool, candidate);
        QFETCH(qint64, bytes);
        QFETCH(QString, limit);
        const QString path = QStringLiteral("/p/Saved/a.jpg");
        const QStringList found = SmallFileCandidates({{path, bytes}}, limit);
        QCOMPARE(found.contains(path), candidate);
    }

    void imageSizeNeedsALibraryRecord_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("known");
        QTest::addColumn<bool>("candidate");
        QTest::newRow("smaller both ways") << 299 << 299 << true << true;
        QTest::newRow("as wide as the limit") << 300 << 10 << true << false;
        QTest::newRow("as high as the limit") << 10 << 300 << true << false;
        QTest::newRow("undecodable -1 x -1") << -1 << -1 << true << true;
        QTest::newRow("unknown to the library") << 1 << 1 << false << false;
    }
    void imageSizeNeedsALibraryRecord()
    {
        QFETCH(bool, candidate);
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(bool, known);
        TImageLibrary library;
        const QString path = QStringLiteral("/p/Saved/a.jpg");
        if (known) {
            auto record = std::make_unique<TImageDetail>();
            record->FileName = path;
            record->Width = width;
            record->Height = height;
            library.Add(std::move(record));
        }
        QCOMPARE(SmallPictureCandidates({path}, library, 300, 300).contains(path), candidate);
    }

    void filtersMatchNamesLikeTheFileSearch_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star") << "cat.gif" << "*.gif" << true;
        QTest::newRow("any case") << "CAT.GIF" << "*.gif" << true;
        QTest::newRow("other extension") << "cat.gifx" << "*.gif" << false;
        QTest::newRow("question mark is one character") << "xfie.jpg" << "?fie.*" << true;
        QTest::newRow("question mark is not none") << "fie.jpg" << "?fie.*" << false;
        QTest::newRow(".* takes names without a dot") << "tn01" << "tn*.*" << true;
        QTest::newRow(".* takes any extension") << "tn01.jpeg" << "tn*.*" << true;
        QTest::newRow("brackets are plain characters") << "a[0].jpg" << "a[0].jpg" << true;
        QTest::newRow("brackets are not a set") << "a0.jpg" << "a[0].jpg" << false;
        QTest::newRow("empty matches nothing") << "a.jpg" << "" << false;
    }
    void filtersMatchNamesLikeTheFileSearch()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(bool, matches);
        QCOMPARE(MatchesFilter(name, filter), matches);
    }

    void filterCandidatesComeFromTheFolder()
    {
        QTemporaryDir dir;
        const QString saved = dir.path() + QStringLiteral("/Saved");
        QDir().mkpath(saved + QStringLiteral("/old"));
        for (const char *name : {"a.gif", "b.GIF", "c.jpg", "d.gif!!wr", "old/e.gif"})
            WriteBytes(saved + QLatin1Char('/') + QLatin1String(name), 1);
        QStringList found = FilterCandidates(saved, QStringLiteral("*.gif"));
        found.sort();
        QCOMPARE(found, (QStringList{saved + "/a.gif", saved + "/b.GIF"}));
        // A folder part looks there, and names the files found there.
        QCOMPARE(FilterCandidates(saved, QStringLiteral("old/*.gif")), QStringList{saved + "/old/e.gif"});
        QVERIFY(FilterCandidates(saved, QStringLiteral("   ")).isEmpty());
        QVERIFY(FilterCandidates(saved, QStringLiteral("old/")).isEmpty());
        QVERIFY(FilterCandidates(QString(), QStringLiteral("*")).isEmpty());
    }

    void choosingARuleEnablesItsInputs()
    {
        TDeleteByForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Delete by ..."));
        auto *width = form.findChild<QSpinBox *>(QStringLiteral("WidthEdit"));
        auto *height = form.findChild<QSpinBox *>(QStringLiteral("HeightEdit"));
        auto *size = form.findChild<QLineEdit *>(QStringLiteral("SizeEdit"));
        auto *filter = form.findChild<QLineEdit *>(QStringLiteral("FilterEdit"));
        QCOMPARE(form.Rule(), TDeleteByForm::ImageSizeRule);
        QCOMPARE(width->value(), 300);
        QCOMPARE(height->maximum(), 2000);
        QCOMPARE(size->text(), QStringLiteral("10"));
        QCOMPARE(filter->text(), QStringLiteral("*.gif"));
        const auto enabled = [&] {
            return QString::number(width->isEnabled()) + QString::number(height->isEnabled()) +
                   QString::number(size->isEnabled()) + QString::number(filter->isEnabled());
        };
        QCOMPARE(enabled(), QStringLiteral("1100"));
        form.findChild<QRadioButton *>(QStringLiteral("FileSizeButton"))->click();
        QCOMPARE(form.Rule(), TDeleteByForm::FileSizeRule);
        QCOMPARE(enabled(), QStringLiteral("0010"));
        form.findChild<QRadioButton *>(QStringLiteral("FileFilterButton"))->click();
        QCOMPARE(form.Rule(), TDeleteByForm::FileFilterRule);
        QCOMPARE(enabled(), QStringLiteral("0001"));
        form.findChild<QRadioButton *>(QStringLiteral("ImageSizeButton"))->click();
        QCOMPARE(enabled(), QStringLiteral("1100"));
    }

    void confirmationDeletesTheCheckedFiles()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.gif"));
        const QString b = dir.filePath(QStringLiteral("b.gif"));
        const QString gone = dir.filePath(QStringLiteral("gone.gif"));
        WriteBytes(a, 1);
        WriteBytes(b, 1);
        TConfirmDeleteForm form({a, b, gone});
        QCOMPARE(form.windowTitle(), QStringLiteral("Confirm images delete action"));
        auto *files = form.findChild<QTreeWidget *>(QStringLiteral("FilesListView"));
        QCOMPARE(files->headerItem()->text(0), QStringLiteral("Filename"));
        QCOMPARE(files->topLevelItemCount(), 3);
        QCOMPARE(files->topLevelItem(0)->text(0), QStringLiteral("a.gif"));
        QCOMPARE(files->topLevelItem(0)->checkState(0), Qt::Checked);
        files->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        form.findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        // A file already gone counts as deleted: its row may go.
        QCOMPARE(form.DeletedFiles(), (QStringList{a, gone}));
        QVERIFY(!QFileInfo::exists(a));
        QVERIFY(QFileInfo::exists(b));
    }

    void cancelDeletesNothing()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.gif"));
        WriteBytes(a, 1);
        TConfirmDeleteForm form({a});
        form.findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(form.DeletedFiles().isEmpty());
        QVERIFY(QFileInfo::exists(a));
    }

    void anEmptyConfirmationSaysSo()
    {
        TErrorLog errors;
        TConfirmDeleteForm form({});
        form.findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
        QCOMPARE(errors.Texts, QStringList{"No image selected !"});
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(DeleteByTest)
#include "DeleteBy_qtest.moc"
