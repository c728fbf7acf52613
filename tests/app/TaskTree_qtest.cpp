// The task tree and run control in the main window, against a loopback site:
// what a selection loads and enables, deleting, running within the limit,
// schedules, the end of a run, the report and Save URL.
#include "AppTestSupport.h"

#include "app/FilesModel.h"
#include "app/MainForm.h"
#include "app/ReportModel.h"
#include "app/RunControl.h"
#include "app/StatePanel.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/DateTime.h"
#include "engine/FileLock.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskList.h"
#include "engine/TestSite.h"
#include "images/ui/PicturesPanel.h"
#include "session/DownloadSession.h"
#include "settings/RegSettings.h"

#include <QAction>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <cmath>

namespace {

// Answers the next question box with Yes or No.
TModalHandler Answer(QMessageBox::StandardButton button)
{
    return TModalHandler([button](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box)
            box->button(button)->click();
    });
}

} // namespace

class TTaskTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        home = std::make_unique<TTempHome>();
        errors = std::make_unique<TErrorLog>();
        projects = home->Path() + QStringLiteral("Images/Projects/");
        StoreSettings([](TRegSettings &settings) { settings.Options.DefaultTaskAdded = true; });
        QVERIFY(QDir().mkpath(projects + QStringLiteral("Folder")));
        site = std::make_unique<TTestSite>();
        site->Page(QStringLiteral("/"), "<a href=\"a.jpg\">a</a> <a href=\"b.jpg\">b</a>");
        site->File(QStringLiteral("/a.jpg"), QByteArray(20000, 'a'));
        site->File(QStringLiteral("/b.jpg"), QByteArray(30000, 'b'));
    }

    void cleanup()
    {
        form.reset();
        site.reset();
        errors.reset();
        home.reset();
    }

    void CommandStatesFollowTheSelectedNodeKind_data()
    {
        QTest::addColumn<QString>("node");
        // Enabled: Delete, New Folder, Properties, Run, Stop, Restart, Save URL, Collect; pictures shown.
        QTest::addColumn<QString>("enabled");
        QTest::newRow("root") << "" << "-+------ hidden";
        QTest::newRow("folder") << "Folder" << "++------ hidden";
        QTest::newRow("stopped task") << "Folder/Site.wrp" << "+-++-+++ shown";
        QTest::newRow("other file") << "notes.txt" << "+------- any";
        QTest::newRow("unreadable task") << "Broken.wrp" << "+------- any";
    }

    void CommandStatesFollowTheSelectedNodeKind()
    {
        QFETCH(QString, node);
        QFETCH(QString, enabled);
        WriteTask(QStringLiteral("Folder/Site.wrp"), QStringLiteral("Site"));
        WriteFile(QStringLiteral("notes.txt"), "x");
        WriteFile(QStringLiteral("Broken.wrp"), "too short to be a task");
        StoreSettings([](TRegSettings &settings) { settings.Menu.ShowAllFiles = true; });
        Start();
        Select(node);
        const TCommandId ids[] = {TCommandId::TasksDelete,  TCommandId::TasksNewFolder, TCommandId::TasksProp,
                                  TCommandId::TasksRun,     TCommandId::TasksStop,      TCommandId::TasksRestart,
                                  TCommandId::TasksSaveURL, TCommandId::TasksCollect};
        for (int i = 0; i < 8; ++i)
            QVERIFY2(form->Action(ids[i])->isEnabled() == (enabled[i] == QLatin1Char('+')),
                     qPrintable(form->Action(ids[i])->objectName()));
        const QString pictures = enabled.section(QLatin1Char(' '), 1);
        if (pictures != QLatin1String("any"))
            QCOMPARE(form->PicturesPanel()->isHidden(), pictures == QLatin1String("hidden"));
        QVERIFY(!form->Action(TCommandId::TasksStopAll)->isEnabled());
        QCOMPARE(errors->Texts.size(), node == QLatin1String("Broken.wrp") ? 1 : 0);
    }

    void SelectionLoadsATaskOnceAndACopiedFileSharesIt()
    {
        WriteTask(QStringLiteral("One.wrp"), QStringLiteral("One"), QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
        WriteTask(QStringLiteral("Folder/Copy.wrp"), QStringLiteral("Copy"), QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
        Start();
        Select(QStringLiteral("One.wrp"));
        TTask *first = form->TreeCommands()->SelectedTask();
        QVERIFY(first);
        QVERIFY(first->Shown());
        QCOMPARE(first->FileName(), projects + QStringLiteral("One.wrp"));
        Select(QStringLiteral("Folder/Copy.wrp"));
        QCOMPARE(form->TreeCommands()->SelectedTask(), first);
        QCOMPARE(form->Session->TaskList().Count(), 1);
        Select(QStringLiteral("One.wrp"));
        QCOMPARE(form->Session->TaskList().Count(), 1);
    }

    void UnreadableTaskIsReportedOncePerSelectionNotPerTick()
    {
        WriteFile(QStringLiteral("Broken.wrp"), "too short to be a task");
        WriteTask(QStringLiteral("Good.wrp"), QStringLiteral("Good"));
        Start();
        form->StatePanel()->SetCurrentPage(TStatePanel::ReportPage);
        Select(QStringLiteral("Broken.wrp"));
        for (int tick = 0; tick < 5; ++tick)
            form->Session->Tick(NowDays());
        QCOMPARE(errors->Texts.size(), 1);
        QVERIFY(errors->Texts.first().contains(QStringLiteral("Broken.wrp")));
        Select(QStringLiteral("Good.wrp"));
        Select(QStringLiteral("Broken.wrp"));
        QCOMPARE(errors->Texts.size(), 2);
    }

    void DeleteRemovesFilesAndFoldersAndReportsWhatWouldNotGo()
    {
        WriteTask(QStringLiteral("Folder/Inner.wrp"), QStringLiteral("Inner"));
        WriteTask(QStringLiteral("Gone.wrp"), QStringLiteral("Gone"));
        Start();
        // No.
        Select(QStringLiteral("Folder"));
        {
            auto no = Answer(QMessageBox::No);
            form->Action(TCommandId::TasksDelete)->trigger();
        }
        QVERIFY(QFileInfo::exists(projects + QStringLiteral("Folder/Inner.wrp")));
        // Yes: the folder with its task goes, on disk and in the tree.
        {
            auto yes = Answer(QMessageBox::Yes);
            form->Action(TCommandId::TasksDelete)->trigger();
        }
        QVERIFY(!QFileInfo::exists(projects + QStringLiteral("Folder")));
        QVERIFY(!Model().FindPath(projects + QStringLiteral("Folder")).isValid());
        // A task file that vanished behind the program's back cannot go: reported, the node stays.
        Select(QStringLiteral("Gone.wrp"));
        QVERIFY(QFile::remove(projects + QStringLiteral("Gone.wrp")));
        {
            auto yes = Answer(QMessageBox::Yes);
            form->Action(TCommandId::TasksDelete)->trigger();
        }
        QVERIFY(Model().FindPath(projects + QStringLiteral("Gone.wrp")).isValid());
        QVERIFY(!errors->Texts.isEmpty());
        QCOMPARE(errors->Texts.last(), QStringLiteral("Delete file %1 failed !").arg(projects + QStringLiteral("Gone.wrp")));
    }

    void RunEndsClearingTheFilesListAndSavingTheTask()
    {
        WriteTask(QStringLiteral("Site.wrp"), QStringLiteral("Site"));
        Start();
        form->StatePanel()->SetCurrentPage(TStatePanel::ReportPage);
        Select(QStringLiteral("Site.wrp"));
        TTask *task = form->TreeCommands()->SelectedTask();
        form->Action(TCommandId::TasksRun)->trigger();
        QVERIFY(!task->Stopped());
        QVERIFY(form->Action(TCommandId::TasksStop)->isEnabled());
        QVERIFY(!form->Action(TCommandId::TasksRun)->isEnabled());
        QCOMPARE(Model().FindPath(projects + QStringLiteral("Site.wrp")).data(TTaskTreeModel::IconRole).toInt(),
                 int(TTaskTreeModel::niRunningTask));
        QTRY_VERIFY_WITH_TIMEOUT(task->Stopped(), 20000);
        form->Session->Tick(NowDays());
        QCOMPARE(Files().rowCount(), 0);
        QCOMPARE(Model().FindPath(projects + QStringLiteral("Site.wrp")).data(TTaskTreeModel::IconRole).toInt(),
                 int(TTaskTreeModel::niStoppedTask));
        QVERIFY(form->Action(TCommandId::TasksRun)->isEnabled());
        TTask written;
        written.LoadFromFile(projects + QStringLiteral("Site.wrp"));
        QCOMPARE(written.DoneCount(), 3);
        const TReportModel &report = form->StatePanel()->ReportModel();
        QCOMPARE(report.index(0, 1).data().toString(), QStringLiteral("Site"));
        QCOMPARE(report.index(2, 1).data().toString(), QStringLiteral("3/3"));
        QVERIFY(errors->Texts.isEmpty());

        // Run on a finished task asks to restart; No leaves it as it is.
        {
            auto no = Answer(QMessageBox::No);
            form->Action(TCommandId::TasksRun)->trigger();
            QVERIFY(no.Fired());
        }
        QVERIFY(task->Stopped());
        QCOMPARE(task->DoneCount(), 3);
    }

    void StopKeepsTheRowsWaitingAndWritesAtOnce()
    {
        site->Held(QStringLiteral("/held.jpg"), QByteArray(50000, 'h'), 10);
        WriteTask(QStringLiteral("Held.wrp"), QStringLiteral("Held"), QString(), QStringLiteral("/held.jpg"));
        Start();
        Select(QStringLiteral("Held.wrp"));
        TTask *task = form->TreeCommands()->SelectedTask();
        form->Action(TCommandId::TasksRun)->trigger();
        Files().Flush();
        QCOMPARE(Files().rowCount(), 1);
        QCOMPARE(Files().index(0, TFilesModel::ColState).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Running"));
        form->Action(TCommandId::TasksStop)->trigger();
        QVERIFY(task->Stopped());
        Files().Flush();
        QCOMPARE(Files().rowCount(), 1);
        QCOMPARE(Files().index(0, TFilesModel::ColState).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Waiting"));
        TTask written;
        written.LoadFromFile(projects + QStringLiteral("Held.wrp"));
        QCOMPARE(written.Items().Count(), 1);
        QCOMPARE(written.DoneCount(), 0);
        site->Release(QStringLiteral("/held.jpg"));
    }

    void FourthUserStartIsRefusedButAScheduleStartsIt()
    {
        site->Held(QStringLiteral("/held.jpg"), QByteArray(50000, 'h'), 10);
        const QStringList names = {QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3"), QStringLiteral("T4")};
        for (const QString &name : names)
            WriteTask(name + QStringLiteral(".wrp"), name, QString(), QStringLiteral("/held.jpg"));
        Start();
        for (const QString &name : names.mid(0, 3)) {
            Select(name + QStringLiteral(".wrp"));
            form->Action(TCommandId::TasksRun)->trigger();
        }
        QCOMPARE(form->Session->RunningCount(), 3);
        QVERIFY(form->Action(TCommandId::TasksStopAll)->isEnabled());
        Select(QStringLiteral("T4.wrp"));
        TTask *fourth = form->TreeCommands()->SelectedTask();
        form->Action(TCommandId::TasksRun)->trigger();
        QCOMPARE(errors->Texts, QStringList{QStringLiteral("Too many tasks running, please wait until a task stop!")});
        QVERIFY(fourth->Stopped());

        const double today = std::trunc(NowDays());
        fourth->Options().Scheme.SchemeType = TRegScheme::stDaily;
        fourth->Options().Scheme.SchemeStartDate = today;
        form->Session->Tick(today + 0.5);
        QVERIFY(!fourth->Stopped());
        QCOMPARE(Model().FindPath(projects + QStringLiteral("T4.wrp")).data(TTaskTreeModel::IconRole).toInt(),
                 int(TTaskTreeModel::niRunningTask));
        QVERIFY(!form->Action(TCommandId::TasksRun)->isEnabled());

        form->Action(TCommandId::TasksStopAll)->trigger();
        QCOMPARE(form->Session->RunningCount(), 0);
        QVERIFY(!form->Action(TCommandId::TasksStopAll)->isEnabled());
        QVERIFY(form->Action(TCommandId::TasksRun)->isEnabled());
        site->Release(QStringLiteral("/held.jpg"));
    }

    void NewPutsTheTaskIntoTheSelectedFolderAndPropertiesRewritesIt()
    {
        Start();
        Select(QStringLiteral("Folder"));
        {
            TModalHandler fill([this](QWidget *dialog) {
                QTest::keyClicks(Find<QLineEdit>(dialog, "UrlEdit"), site->Url(QStringLiteral("/")));
                QLineEdit *name = Find<QLineEdit>(dialog, "NameEdit");
                name->clear();
                QTest::keyClicks(name, QStringLiteral("Made here"));
                Find<QPushButton>(dialog, "OkButton")->click();
            });
            form->Action(TCommandId::TasksNew)->trigger();
            QVERIFY(fill.Fired());
        }
        const QString path = projects + QStringLiteral("Folder/Made here.wrp");
        QVERIFY(QFileInfo::exists(path));
        const QModelIndex node = Model().FindPath(path);
        QVERIFY(node.isValid());
        QCOMPARE(node.data().toString(), QStringLiteral("Made here"));
        QCOMPARE(Find<QTreeView>(form.get(), "TasksTreeView")->currentIndex(), node);
        TTask *task = form->TreeCommands()->SelectedTask();
        QVERIFY(task && task->Shown());
        QVERIFY(!task->ID().isEmpty());
        QCOMPARE(task->URL().URI(), site->Url(QStringLiteral("/")));
        QVERIFY(form->Action(TCommandId::TasksRun)->isEnabled());

        // Properties: the note changes in the file; the node keeps its caption.
        {
            TModalHandler edit([](QWidget *dialog) {
                QTest::keyClicks(Find<QWidget>(dialog, "NoteEdit"), QStringLiteral("a note"));
                Find<QPushButton>(dialog, "OkButton")->click();
            });
            QTreeView *tree = Find<QTreeView>(form.get(), "TasksTreeView");
            const QPoint at = tree->visualRect(node).center();
            QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
            QVERIFY(edit.Fired());
        }
        TTask written;
        written.LoadFromFile(path);
        QCOMPARE(written.Note(), QStringLiteral("a note"));
        QCOMPARE(written.ID(), task->ID());
        QVERIFY(errors->Texts.isEmpty());
    }

    void CollectAndLibraryOpenTheirWindows()
    {
        WriteTask(QStringLiteral("Site.wrp"), QStringLiteral("Site"));
        Start();
        Select(QStringLiteral("Site.wrp"));
        const struct {
            TCommandId command;
            const char *window;
        } cases[] = {{TCommandId::TasksCollect, "CopyPicturesForm"}, {TCommandId::TasksLibrary, "ImageLibraryForm"}};
        for (const auto &c : cases) {
            QString opened;
            TModalHandler close([&](QWidget *window) {
                opened = window->objectName();
                window->close();
            });
            form->Action(c.command)->trigger();
            QVERIFY(close.Fired());
            QCOMPARE(opened, QString::fromLatin1(c.window));
        }
    }

    void RunOfATaskFileAnotherProgramRunsIsRefused()
    {
        WriteTask(QStringLiteral("Site.wrp"), QStringLiteral("Site"));
        Start();
        Select(QStringLiteral("Site.wrp"));
        TFileLock other(projects + QStringLiteral("Site.wrp.lock"));
        QVERIFY(other.TryLock());
        form->Action(TCommandId::TasksRun)->trigger();
        QCOMPARE(errors->Texts.size(), 1);
        QVERIFY2(errors->Texts.first().contains(QStringLiteral("is being run by")), qPrintable(errors->Texts.first()));
        QVERIFY(form->TreeCommands()->SelectedTask()->Stopped());
        QVERIFY(form->Action(TCommandId::TasksRun)->isEnabled());

        // Its end would write that program's copy back: the file is neither
        // edited (no dialog opens) nor replaced by a new task of its name.
        const QByteArray before = ReadAll(projects + QStringLiteral("Site.wrp"));
        errors->Texts.clear();
        form->Action(TCommandId::TasksProp)->trigger();
        QCOMPARE(errors->Texts.size(), 1);
        QVERIFY2(errors->Texts.first().contains(QStringLiteral("is being run by")), qPrintable(errors->Texts.first()));
        errors->Texts.clear();
        {
            auto fill = AnswerModal([this](QWidget *dialog) {
                QTest::keyClicks(Find<QLineEdit>(dialog, "UrlEdit"), site->Url(QStringLiteral("/")));
                QLineEdit *name = Find<QLineEdit>(dialog, "NameEdit");
                name->clear();
                QTest::keyClicks(name, QStringLiteral("Site"));
                Find<QPushButton>(dialog, "OkButton")->click();
            });
            form->Action(TCommandId::TasksNew)->trigger();
            QVERIFY(fill->Fired());
        }
        QCOMPARE(errors->Texts.size(), 1);
        QVERIFY2(errors->Texts.first().contains(QStringLiteral("is being run by")), qPrintable(errors->Texts.first()));
        QCOMPARE(ReadAll(projects + QStringLiteral("Site.wrp")), before);
    }

    void SaveUrlWritesTheListWithCrLf()
    {
        TTask task;
        task.URL().SetURI(QStringLiteral("http://h/"));
        auto *done = new TTaskItem(&task, QStringLiteral("http://h/a.jpg"));
        done->SetDone(true);
        task.Items().Add(done);
        task.Items().Add(new TTaskItem(&task, QStringLiteral("http://h/b.jpg")));
        const QString file = home->Path() + QStringLiteral("urls.txt");
        TRunControl::SaveUrlList(task, file);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("* Finished item.\r\n\r\n* http://h/a.jpg\r\n  http://h/b.jpg\r\n"));
        try {
            TRunControl::SaveUrlList(task, home->Path() + QStringLiteral("no/such/folder/urls.txt"));
            QFAIL("no error for a file that cannot be written");
        } catch (const std::exception &) {
        }
    }

private:
    void WriteTask(const QString &relative, const QString &name, const QString &id = QString(),
                   const QString &start = QStringLiteral("/"))
    {
        TTask task;
        task.SetName(name);
        task.SetID(id.isEmpty() ? QStringLiteral("{%1}").arg(relative) : id);
        task.URL().SetURI(site->Url(start));
        task.Options().DefaultFolder = home->Path() + QStringLiteral("Downloads/") + name + QLatin1Char('/');
        task.Options().FileMasks = {QStringLiteral("jpg, Saved")};
        task.Options().EnableFileLimit = false;
        QVERIFY(QDir().mkpath(task.Options().DefaultFolder));
        task.SaveToFile(projects + relative);
    }

    void WriteFile(const QString &relative, const QByteArray &bytes)
    {
        QFile file(projects + relative);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void Start()
    {
        form = MakeMainForm();
        form->show();
    }

    TTaskTreeModel &Model() { return form->TreePanel()->Model(); }
    TFilesModel &Files() { return *qobject_cast<TFilesModel *>(Find<QTreeView>(form.get(), "FilesListView")->model()); }

    // Selects a node by its path under the project folder ("" for the
    // root), by clicking it as a user would.
    void Select(const QString &relative)
    {
        QTreeView *tree = Find<QTreeView>(form.get(), "TasksTreeView");
        const QModelIndex node = relative.isEmpty() ? Model().RootIndex() : Model().FindPath(projects + relative);
        QVERIFY2(node.isValid(), qPrintable(relative));
        for (QModelIndex up = node.parent(); up.isValid(); up = up.parent())
            tree->expand(up);
        tree->scrollTo(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(node).center());
        QCOMPARE(tree->currentIndex(), node);
    }

    std::unique_ptr<TTempHome> home;
    std::unique_ptr<TErrorLog> errors;
    std::unique_ptr<TTestSite> site;
    std::unique_ptr<TMainForm> form;
    QString projects;
};

QTEST_MAIN(TTaskTreeTest)
#include "TaskTree_qtest.moc"
