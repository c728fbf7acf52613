// The main window's models: each checked by QAbstractItemModelTester while a
// view shows it, the files list through the engine's own view calls.
#include "app/FilesModel.h"
#include "app/LogModel.h"
#include "app/ReportModel.h"
#include "app/TaskTreeModel.h"
#include "engine/Errors.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPersistentModelIndex>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <vector>

namespace {

// Items of a task that the files model refers to (it never reads them).
class TItems
{
public:
    TTaskItem *Make(const QString &url)
    {
        m_items.push_back(std::make_unique<TTaskItem>(&m_task, url));
        return m_items.back().get();
    }

private:
    TTask m_task;
    std::vector<std::unique_ptr<TTaskItem>> m_items;
};

TFileRow Row(const QString &url, int depth = 1)
{
    TFileRow row;
    row.URL = url;
    row.Type = QStringLiteral(".jpg");
    row.Depth = depth;
    return row;
}

QStringList Urls(const QAbstractItemModel &model)
{
    QStringList urls;
    for (int row = 0; row < model.rowCount(); ++row)
        urls.append(model.index(row, TFilesModel::ColUrl).data().toString());
    return urls;
}

} // namespace

class TModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void FilesRowsArriveInBatchesAndKeepTheirPlaces()
    {
        TFilesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);
        TItems items;
        std::vector<TTaskItem *> rows;
        for (int i = 0; i < 6; ++i) {
            rows.push_back(items.Make(QStringLiteral("http://h/%1.jpg").arg(i)));
            model.AddItemRow(rows.back(), Row(QStringLiteral("http://h/%1.jpg").arg(i), i));
        }
        QCOMPARE(model.rowCount(), 0); // not yet shown
        QTRY_COMPARE(model.rowCount(), 6); // the flush timer shows them

        const QPersistentModelIndex fourth = model.index(4, TFilesModel::ColUrl);
        const QPersistentModelIndex second = model.index(1, TFilesModel::ColUrl);
        model.RemoveItemRow(rows[1]);
        model.RemoveItemRow(rows[3]);
        model.UpdateProgressRow(rows[4], 512, 2048);
        model.SetRowRunning(rows[4], true);
        auto *late = items.Make(QStringLiteral("http://h/late.jpg"));
        model.AddItemRow(late, Row(QStringLiteral("http://h/late.jpg")));
        model.RemoveItemRow(late); // never shown at all
        model.Flush();
        QCOMPARE(Urls(model), (QStringList{"http://h/0.jpg", "http://h/2.jpg", "http://h/4.jpg", "http://h/5.jpg"}));
        QVERIFY(!second.isValid());
        QCOMPARE(fourth.row(), 2);
        QCOMPARE(model.index(2, TFilesModel::ColSize).data().toString(), QStringLiteral("2048"));
        QCOMPARE(model.index(2, TFilesModel::ColCompleted).data().toString(), QStringLiteral("25%"));
        QCOMPARE(model.index(2, TFilesModel::ColCompleted).data(TFilesModel::ProgressRole).toInt(), 25);
        QCOMPARE(model.index(0, TFilesModel::ColCompleted).data(TFilesModel::ProgressRole).toInt(), -1);
        QCOMPARE(model.index(0, TFilesModel::ColCompleted).data().toString(), QStringLiteral("---"));
        QCOMPARE(model.index(2, TFilesModel::ColState).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Running"));
        QCOMPARE(model.index(1, TFilesModel::ColDepth).data().toString(), QStringLiteral("2"));

        model.SetAllWaiting();
        QCOMPARE(model.index(2, TFilesModel::ColState).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Waiting"));
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void FilesRemovalTakesTheFirstRowOfAnItemShownTwice()
    {
        TFilesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        TItems items;
        TTaskItem *twice = items.Make(QStringLiteral("http://h/a"));
        TTaskItem *other = items.Make(QStringLiteral("http://h/b"));
        model.AddItemRow(twice, Row(QStringLiteral("first"), 1));
        model.AddItemRow(other, Row(QStringLiteral("other"), 1));
        model.AddItemRow(twice, Row(QStringLiteral("second"), 1));
        model.Flush();
        model.RemoveItemRow(twice);
        model.Flush();
        QCOMPARE(Urls(model), (QStringList{"other", "second"}));
        model.RemoveItemRow(twice);
        model.RemoveItemRow(twice); // no row left: nothing
        model.Flush();
        QCOMPARE(Urls(model), QStringList{"other"});
        QCOMPARE(model.headerData(TFilesModel::ColState, Qt::Horizontal).toString(), QString());
        QCOMPARE(model.headerData(TFilesModel::ColState, Qt::Horizontal, Qt::ToolTipRole).toString(), QStringLiteral("!"));
        QCOMPARE(model.headerData(TFilesModel::ColSize, Qt::Horizontal).toString(), QStringLiteral("Size(b)"));
    }

    void LogKeepsEveryLineAndMarksFailures()
    {
        TLogModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.AppendLogLine(QStringLiteral("[d t] - Attach \u00e9"), TLogKind::Info);
        model.AppendLogLine(QStringLiteral("[d t] - HTTP 404"), TLogKind::Failure);
        QCOMPARE(model.Lines().size(), 2); // waiting lines count for the saved log
        QTRY_COMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0).data().toString(), QStringLiteral("[d t] - Attach \u00e9"));
        QVERIFY(!model.index(0).data(Qt::ForegroundRole).isValid());
        QVERIFY(model.index(1).data(Qt::ForegroundRole).isValid());
        QCOMPARE(model.index(1).data(TLogModel::KindRole).toInt(), int(TLogKind::Failure));
    }

    void ReportShowsThreeRowsOfATask()
    {
        TReportModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.IsEmpty());
        model.Fill(QStringLiteral("Site"), QStringLiteral("http://h/"), 0, 1);
        QCOMPARE(model.rowCount(), 3);
        const char *expected[3][3] = {{"Name", "Site", "Name of project"},
                                      {"URL", "http://h/", "Primary URL"},
                                      {"Files", "0/1", "Finished/Found"}};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                QCOMPARE(model.index(row, column).data().toString(), QString::fromLatin1(expected[row][column]));
        }
        model.UpdateFiles(5, 9);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("5/9"));
        QCOMPARE(model.ShownName(), QStringLiteral("Site"));
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void TreeMirrorsTheProjectFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path() + QLatin1Char('/');
        QVERIFY(QDir().mkpath(root + QStringLiteral("Sub/Deeper")));
        TTask task;
        task.SetName(QStringLiteral("Named in file"));
        task.SaveToFile(root + QStringLiteral("Sub/one.WRP"));
        QFile other(root + QStringLiteral("notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();

        for (bool all : {false, true}) {
            TTaskTreeModel model;
            QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
            model.ResetRoot(root);
            model.ScanFolder(root, model.RootIndex(), all);
            const QModelIndex top = model.RootIndex();
            QCOMPARE(top.data().toString(), QStringLiteral("All Tasks"));
            QCOMPARE(TTaskTreeModel::NodeIcon(top), int(TTaskTreeModel::niRoot));
            QCOMPARE(model.rowCount(top), all ? 2 : 1);
            const QModelIndex sub = model.FindPath(root + QStringLiteral("sub"));
            QVERIFY(sub.isValid());
            QVERIFY(TTaskTreeModel::IsFolderNode(sub));
            QCOMPARE(sub.data(TTaskTreeModel::SelectedIconRole).toInt(), int(TTaskTreeModel::niOpenFolder));
            QCOMPARE(model.rowCount(sub), 2);
            const QModelIndex taskNode = model.FindPath(root + QStringLiteral("Sub/one.WRP"));
            QCOMPARE(taskNode.data().toString(), QStringLiteral("Named in file"));
            QVERIFY(TTaskTreeModel::IsTaskNode(taskNode));
            QCOMPARE(model.FindPath(root + QStringLiteral("notes.txt")).isValid(), all);

            model.SetNodeIcon(taskNode, TTaskTreeModel::niRunningTask, TTaskTreeModel::niRunningTask);
            QVERIFY(TTaskTreeModel::IsTaskNode(taskNode));
            model.RemoveNode(sub);
            QCOMPARE(model.rowCount(top), all ? 1 : 0);
            model.RemoveNode(top); // the root stays
            QCOMPARE(model.rowCount(), 1);
        }
    }

    void TreeNamesAProjectFileItCannotOpen()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        // A folder named like a project file is a folder; a link to nothing
        // named like one cannot be opened.
        QVERIFY(QFile::link(root + QStringLiteral("missing"), root + QStringLiteral("broken.wrp")));
        TTaskTreeModel model;
        model.ResetRoot(root);
        try {
            model.ScanFolder(root, model.RootIndex(), false);
            QFAIL("no error for a project file that cannot be opened");
        } catch (const EZavelonError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("broken.wrp")), qPrintable(error.message()));
        }
    }
};

QTEST_MAIN(TModelsTest)
#include "Models_qtest.moc"
