#include "images/ui/ExtensionIcons.h"
#include "images/ui/PicturesModel.h"
#include "images/ui/PicturesSortProxy.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QtTest>

namespace {

using TMode = TPicturesSortProxy::TMode;
using TMark = TPicturesSortProxy::TMark;

struct TFile {
    const char *Name;
    qint64 Size;
};

std::vector<TPicturesModel::TRow> Rows(const std::vector<TFile> &files)
{
    std::vector<TPicturesModel::TRow> rows;
    for (const TFile &file : files)
        rows.push_back({QStringLiteral("/pics/Saved/") + QLatin1String(file.Name), file.Size, -1});
    return rows;
}

// The names in the proxy's order.
QStringList Order(const TPicturesSortProxy &proxy)
{
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names.append(proxy.index(row, TPicturesModel::ColName).data().toString());
    return names;
}

QStringList Split(const char *names)
{
    return QString::fromUtf8(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A model and its proxy under the model testers.
struct TSortedList {
    TPicturesModel model;
    TPicturesSortProxy proxy{&model};
    QAbstractItemModelTester modelTester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QAbstractItemModelTester proxyTester{&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

const std::vector<TFile> kFolder = {
    {"b.jpg", 10 * 1024},  // 10 KB
    {"B.png", 9 * 1024 + 1023}, // 9 KB
    {"a.gif", 1500},       // 1 KB
    {"c.JPG", 1000},       // 0 KB
    {"d", 100 * 1024},     // no extension, 100 KB
    {"a.jpg", 1100},       // 1 KB, the same as a.gif
};

} // namespace

class PicturesModelTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsReadAsTheListShowsThem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("size");
        QTest::newRow("1500 bytes are 1 KB") << "/p/Saved/a.jpg" << qint64(1500) << "a.jpg" << ".jpg" << "1 KB";
        QTest::newRow("1000 bytes are 0 KB") << "/p/Saved/b.PNG" << qint64(1000) << "b.PNG" << ".PNG" << "0 KB";
        QTest::newRow("from the last dot, case kept") << "/p/Saved/x.tar.GZ" << qint64(2048) << "x.tar.GZ" << ".GZ"
                                                      << "2 KB";
        QTest::newRow("no dot, no extension") << "/p/Saved/a!!wr" << qint64(0) << "a!!wr" << "" << "0 KB";
        QTest::newRow("a dot in the folder is not the name's")
            << "/p.q/Saved/readme" << qint64(11263) << "readme" << "" << "10 KB";
    }
    void rowsReadAsTheListShowsThem()
    {
        QFETCH(QString, size);
        QFETCH(QString, ext);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(qint64, bytes);
        TSortedList list;
        list.model.AddPictureRow({path, bytes});
        list.model.Flush();
        const QModelIndex row = list.model.index(0, 0);
        QCOMPARE(row.data().toString(), name);
        QCOMPARE(row.siblingAtColumn(1).data().toString(), ext);
        QCOMPARE(row.siblingAtColumn(2).data().toString(), size);
        QCOMPARE(row.data(TPicturesModel::PathRole).toString(), path);
        QCOMPARE(row.data(TPicturesModel::BytesRole).toLongLong(), bytes);
        // A row the engine adds while its task runs has no icon.
        QVERIFY(row.data(Qt::DecorationRole).isNull());
    }

    void iconsAreAskedOncePerExtension()
    {
        QTemporaryDir dir;
        TExtensionIcons icons;
        QCOMPARE(icons.Extensions(), (QStringList{"Cursor", "Cursor"}));
        for (const char *name : {"a.jpg", "b.JPG", "c.png", "d", "e.Png"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(icons.IconIndex(QFileInfo(dir.filePath("a.jpg"))), 2);
        QCOMPARE(icons.IconIndex(QFileInfo(dir.filePath("b.JPG"))), 2);
        QCOMPARE(icons.IconIndex(QFileInfo(dir.filePath("c.png"))), 3);
        QCOMPARE(icons.IconIndex(QFileInfo(dir.filePath("d"))), 4);
        QCOMPARE(icons.IconIndex(QFileInfo(dir.filePath("e.Png"))), 3);
        QCOMPARE(icons.Extensions(), (QStringList{"Cursor", "Cursor", ".jpg", ".png", ""}));
        TPicturesModel model;
        model.SetIcons(&icons);
        model.SetRows({{dir.filePath("a.jpg"), 0, 2}});
        QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model.index(0, 1).data(Qt::DecorationRole).isNull());
    }

    void sortsByTheModeOnce_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("order");
        // Byte order: capitals before small letters.
        QTest::newRow("by name") << int(TPicturesSortProxy::ByName) << Split("B.png a.gif a.jpg b.jpg c.JPG d");
        // Equal keys keep the order they had ("b.jpg" before "a.jpg").
        QTest::newRow("by type") << int(TPicturesSortProxy::ByType) << Split("d c.JPG a.gif b.jpg a.jpg B.png");
        // Numbers, not texts: 9 KB before 10 KB; a.gif and a.jpg are both 1 KB.
        QTest::newRow("by size") << int(TPicturesSortProxy::BySize) << Split("c.JPG a.gif a.jpg B.png b.jpg d");
        QTest::newRow("unsorted") << int(TPicturesSortProxy::Unsorted) << Split("b.jpg B.png a.gif c.JPG d a.jpg");
    }
    void sortsByTheModeOnce()
    {
        QFETCH(QStringList, order);
        QFETCH(int, mode);
        TSortedList list;
        list.model.SetRows(Rows(kFolder));
        list.proxy.SetMode(TMode(mode));
        list.proxy.SortOnce();
        QCOMPARE(Order(list.proxy), order);
    }

    void headerClicksCycleTheMarks()
    {
        TSortedList list;
        list.model.SetRows(Rows(kFolder));
        list.proxy.SetMode(TPicturesSortProxy::BySize);
        const QStringList ascending = Split("c.JPG a.gif a.jpg B.png b.jpg d");
        const QList<TMark> marks = {TPicturesSortProxy::Ascending, TPicturesSortProxy::Descending,
                                    TPicturesSortProxy::Ascending};
        // Three clicks on "Size": ascending, descending, ascending.
        for (TMark expected : marks) {
            list.proxy.ClickMark(2);
            list.proxy.SortOnce();
            QCOMPARE(list.proxy.Mark(2), expected);
            QCOMPARE(list.proxy.Mark(0), TPicturesSortProxy::NoMark);
            if (expected == TPicturesSortProxy::Ascending) {
                QCOMPARE(Order(list.proxy), ascending);
            } else {
                // Reversed keys; equal keys still keep their order.
                QCOMPARE(Order(list.proxy), Split("d b.jpg B.png a.gif a.jpg c.JPG"));
            }
        }
        // Another column's click clears the mark of "Size".
        list.proxy.ClickMark(0);
        QCOMPARE(list.proxy.Mark(2), TPicturesSortProxy::NoMark);
        QCOMPARE(list.proxy.Mark(0), TPicturesSortProxy::Ascending);
    }

    void marksShowInTheHeaderWithTheirIcons()
    {
        TExtensionIcons icons;
        TSortedList list;
        list.proxy.SetIcons(&icons);
        QSignalSpy changed(&list.proxy, &QAbstractItemModel::headerDataChanged);
        QVERIFY(list.proxy.headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());
        list.proxy.ClickMark(1);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!list.proxy.headerData(1, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(list.proxy.headerData(0, Qt::Horizontal, Qt::DecorationRole).isNull());
        QCOMPARE(list.proxy.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ext"));
    }

    void onlyTheModesOwnColumnReverses()
    {
        // A descending mark on "Size" does not reverse the order by name.
        TSortedList list;
        list.model.SetRows(Rows(kFolder));
        list.proxy.ClickMark(2);
        list.proxy.ClickMark(2);
        QCOMPARE(list.proxy.Mark(2), TPicturesSortProxy::Descending);
        list.proxy.SetMode(TPicturesSortProxy::ByName);
        list.proxy.SortOnce();
        QCOMPARE(Order(list.proxy), Split("B.png a.gif a.jpg b.jpg c.JPG d"));
        QCOMPARE(list.proxy.Compare(0, 1), 1); // b.jpg after B.png
    }

    void addedRowsGoToTheEndUnlessSortingIsAutomatic_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("off: at the end") << false << Split("a.jpg c.jpg b.jpg");
        QTest::newRow("on: in its place") << true << Split("a.jpg b.jpg c.jpg");
    }
    void addedRowsGoToTheEndUnlessSortingIsAutomatic()
    {
        QFETCH(QStringList, order);
        QFETCH(bool, automatic);
        TSortedList list;
        list.model.SetRows(Rows({{"c.jpg", 1}, {"a.jpg", 1}}));
        list.proxy.SetMode(TPicturesSortProxy::ByName);
        list.proxy.SortOnce();
        list.proxy.SetAutoSort(automatic);
        list.model.AddPictureRow({QStringLiteral("/pics/Saved/b.jpg"), 5});
        list.model.Flush();
        QCOMPARE(Order(list.proxy), order);
    }

    void picturesSavedInABurstReachTheListTogether()
    {
        TSortedList list;
        list.model.SetRows(Rows({{"a.jpg", 1}}));
        QSignalSpy inserted(&list.model, &QAbstractItemModel::rowsInserted);
        for (int n = 0; n < 50; ++n)
            list.model.AddPictureRow({QStringLiteral("/pics/Saved/%1.jpg").arg(n, 2, 10, QLatin1Char('0')), n});
        QCOMPARE(list.model.rowCount(), 1);
        // Within the delay, one insertion, in the order they were saved.
        QTRY_COMPARE(list.model.rowCount(), 51);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(list.model.FileName(1), QStringLiteral("/pics/Saved/00.jpg"));
        QCOMPARE(list.model.FileName(50), QStringLiteral("/pics/Saved/49.jpg"));

        // Rows still waiting belong to the list they were saved for: a new
        // list drops them.
        list.model.AddPictureRow({QStringLiteral("/pics/Saved/late.jpg"), 1});
        list.model.SetRows(Rows({{"b.jpg", 1}}));
        list.model.Flush();
        QCOMPARE(list.model.rowCount(), 1);
        list.model.AddPictureRow({QStringLiteral("/pics/Saved/late.jpg"), 1});
        list.model.Clear();
        list.model.Flush();
        QCOMPARE(list.model.rowCount(), 0);
    }

    void unsortKeepsTheOrderUntilTheRowsAreReplaced()
    {
        TSortedList list;
        list.model.SetRows(Rows(kFolder));
        list.proxy.SetMode(TPicturesSortProxy::ByName);
        list.proxy.SetAutoSort(true);
        list.proxy.SortOnce();
        const QStringList byName = Order(list.proxy);
        list.proxy.SetMode(TPicturesSortProxy::Unsorted);
        list.proxy.SetAutoSort(false);
        list.proxy.SortOnce();
        QCOMPARE(Order(list.proxy), byName);
        list.model.AddPictureRow({QStringLiteral("/pics/Saved/0.jpg"), 5});
        list.model.Flush();
        QCOMPARE(Order(list.proxy).last(), QStringLiteral("0.jpg"));
        // A refill in the unsorted mode shows the files in the order given.
        list.model.SetRows(Rows(kFolder));
        QCOMPARE(Order(list.proxy), Split("b.jpg B.png a.gif c.JPG d a.jpg"));
    }

    void removingRowsKeepsTheOthers_data()
    {
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("one") << QList<int>{1} << Split("b.jpg a.gif c.JPG d a.jpg");
        QTest::newRow("runs, any order") << QList<int>{5, 0, 3, 2} << Split("B.png d");
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4, 5} << QStringList();
        QTest::newRow("out of range skipped") << QList<int>{-1, 6, 4} << Split("b.jpg B.png a.gif c.JPG a.jpg");
    }
    void removingRowsKeepsTheOthers()
    {
        QFETCH(QStringList, left);
        QFETCH(QList<int>, removed);
        TSortedList list;
        list.model.SetRows(Rows(kFolder));
        list.model.RemoveRows(std::vector<int>(removed.cbegin(), removed.cend()));
        QCOMPARE(Order(list.proxy), left);
    }

    void namesCompareAsUtf8Bytes()
    {
        // U+FF21 (fullwidth A) is three bytes from EF; U+1F600 four from F0:
        // by bytes the emoji comes last, though its UTF-16 unit is smaller.
        TSortedList list;
        list.model.SetRows({{QStringLiteral("/p/") + QChar(0xFF21), 0, -1},
                            {QStringLiteral("/p/") + QString::fromUcs4(U"\U0001F600"), 0, -1},
                            {QStringLiteral("/p/z"), 0, -1}});
        list.proxy.SetMode(TPicturesSortProxy::ByName);
        list.proxy.SortOnce();
        const QStringList order = Order(list.proxy);
        QCOMPARE(order.at(0), QStringLiteral("z"));
        QCOMPARE(order.at(1), QString(QChar(0xFF21)));
        QCOMPARE(order.at(2), QString::fromUcs4(U"\U0001F600"));
    }
};

QTEST_MAIN(PicturesModelTest)
#include "PicturesModel_qtest.moc"
