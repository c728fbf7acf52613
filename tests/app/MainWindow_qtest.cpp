// The desktop program's start, placement, close into the tray and Exit, each
// in a temporary home.
#include "AppTestSupport.h"

#include "app/LoadingForm.h"
#include "app/MainForm.h"
#include "app/StatePanel.h"
#include "app/TaskTreeModel.h"
#include "app/SampleTasks.h"
#include "app/ShowMinPromptForm.h"
#include "app/Startup.h"
#include "app/WaitForm.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TaskViews.h"
#include "session/DownloadSession.h"
#include "settings/RegSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {

QStringList Children(const QModelIndex &node)
{
    QStringList captions;
    for (int i = 0; i < node.model()->rowCount(node); ++i)
        captions.append(node.model()->index(i, 0, node).data().toString());
    captions.sort();
    return captions;
}

QStringList SampleNames(const char *folder)
{
    QStringList names;
    for (const TSampleTask &sample : SampleTasks()) {
        if (qstrcmp(sample.Folder, folder) == 0)
            names.append(QString::fromUtf8(sample.Name));
    }
    names.sort();
    return names;
}

std::unique_ptr<TRegSettings> StoredSettings()
{
    auto settings = std::make_unique<TRegSettings>(ProgramHome());
    settings->Load();
    return settings;
}

} // namespace

class TMainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        home = std::make_unique<TTempHome>();
        QVERIFY(home->IsValid());
        errors = std::make_unique<TErrorLog>();
    }

    void cleanup()
    {
        SetStartupObserver({});
        errors.reset();
        home.reset();
    }

    void FirstStartInOrderWritesTheSamplesOnce()
    {
        QStringList steps;
        bool splashUpWhenMainWindowMade = false;
        SetStartupObserver([&](const QString &step) {
            steps.append(step);
            if (step == QLatin1String("Main window")) {
                for (QWidget *window : QApplication::topLevelWidgets())
                    splashUpWhenMainWindowMade |= qobject_cast<TLoadingForm *>(window) && window->isVisible();
            }
        });
        {
            TDesktopProgram program;
            program.Start();
            TMainForm *form = program.MainForm();
            form->LoadTipTimer->stop();
            QCOMPARE(steps, (QStringList{"Title", "Splash", "Library", "Settings", "Sample tasks", "Task tree",
                                         "Main window", "Wait window", "Show"}));
            QVERIFY(splashUpWhenMainWindowMade);
            QCOMPARE(form->windowTitle(), QStringLiteral("Zavelon 4.5.0"));
            QVERIFY(WaitForm && WaitForm->isHidden());
            QVERIFY(form->isVisible());
            // The splash closes by itself at its timer's first tick.
            QTRY_VERIFY_WITH_TIMEOUT(!program.Splash(), 20000);

            const QString projects = home->Path() + QStringLiteral("Images/Projects/");
            const QString downloads = home->Path() + QStringLiteral("Images/Downloaded Files/");
            QSet<QString> ids;
            for (const char *folder : {"Wallpaper", "Arts"}) {
                QDir dir(projects + QLatin1String(folder));
                QStringList files = dir.entryList({QStringLiteral("*.wrp")}, QDir::Files);
                QCOMPARE(files.size(), SampleNames(folder).size());
                for (const QString &file : files) {
                    TTask task;
                    task.LoadFromFile(dir.filePath(file));
                    QCOMPARE(task.Name() + QStringLiteral(".wrp"), file);
                    QVERIFY(task.URL().URI().startsWith(QLatin1String("https://")));
                    QCOMPARE(task.Note(), QString());
                    QVERIFY(task.Options().EnableFileLimit);
                    QCOMPARE(task.Options().FileMaxSize, 10240);
                    QCOMPARE(task.Options().FileMinSize, 10);
                    QCOMPARE(task.Options().SeekDeep, 5);
                    QCOMPARE(task.Options().FileMasks, StandardFileMasks());
                    QCOMPARE(task.Options().DefaultFolder, downloads + task.Name() + QLatin1Char('/'));
                    QVERIFY(QFileInfo(task.Options().DefaultFolder + QStringLiteral("Saved")).isDir());
                    ids.insert(task.ID());
                }
            }
            QCOMPARE(ids.size(), 18);

            // The tree is the one read back from disk.
            const QTreeView *tree = Find<QTreeView>(form, "TasksTreeView");
            const QModelIndex root = tree->model()->index(0, 0);
            QCOMPARE(root.data().toString(), QStringLiteral("All Tasks"));
            QVERIFY(tree->isExpanded(root));
            QCOMPARE(Children(root), (QStringList{"Arts", "Wallpaper"}));
            for (int i = 0; i < tree->model()->rowCount(root); ++i) {
                const QModelIndex folder = tree->model()->index(i, 0, root);
                QVERIFY(TTaskTreeModel::IsFolderNode(folder));
                QCOMPARE(Children(folder), SampleNames(folder.data() == QLatin1String("Arts") ? "Arts" : "Wallpaper"));
                QVERIFY(TTaskTreeModel::IsTaskNode(tree->model()->index(0, 0, folder)));
            }

            form->Action(QStringLiteral("TasksExitAction"))->trigger();
            QVERIFY(!form->isVisible());
        }
        QVERIFY(StoredSettings()->Options.DefaultTaskAdded);

        // The second start leaves the project folder alone.
        const QString removed = home->Path() + QStringLiteral("Images/Projects/Arts/Titian.wrp");
        QVERIFY(QFile::remove(removed));
        steps.clear();
        {
            TDesktopProgram program;
            program.Start();
            program.MainForm()->LoadTipTimer->stop();
        }
        QVERIFY(!steps.contains(QStringLiteral("Sample tasks")));
        QVERIFY(!QFile::exists(removed));
        QCOMPARE(errors->Texts, QStringList());
    }

    void SamplesAreWrittenAgainWithoutANormalEnd()
    {
        MakeMainForm().reset(); // ended without Exit: DefaultTaskAdded was never stored
        QVERIFY(!StoredSettings()->Options.DefaultTaskAdded);
        const QString sample = home->Path() + QStringLiteral("Images/Projects/Wallpaper/ESO.wrp");
        QVERIFY(QFile::remove(sample));
        MakeMainForm().reset();
        QVERIFY(QFile::exists(sample));
    }

    void PlacementComesFromTheSettings_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << 0;
        QTest::newRow("minimized") << 1;
        QTest::newRow("maximized") << 2;
    }

    void PlacementComesFromTheSettings()
    {
        QFETCH(int, state);
        StoreSettings([&](TRegSettings &settings) {
            settings.Window.Left = 40;
            settings.Window.Top = 30;
            settings.Window.Width = 500;
            settings.Window.Height = 380;
            settings.Window.State = std::uint8_t(state);
        });
        auto form = MakeMainForm();
        QCOMPARE(form->isMinimized(), state == 1);
        QCOMPARE(form->isMaximized(), state == 2);
        if (state != 0)
            return;
        QCOMPARE(form->pos(), QPoint(40, 30));
        QCOMPARE(form->size(), QSize(500, 380));

        // Each show puts the window back where it was at start.
        form->show();
        form->move(90, 70);
        form->resize(420, 330);
        form->hide();
        form->show();
        QCOMPARE(form->pos(), QPoint(40, 30));
        QCOMPARE(form->size(), QSize(500, 380));
    }

    void UnknownWindowStateCountsAsNormalAndTheRestApplies()
    {
        StoreSettings([](TRegSettings &settings) {
            settings.Window.Left = 40;
            settings.Window.Top = 30;
            settings.Window.Width = 500;
            settings.Window.Height = 380;
            settings.Window.State = 7; // no window state has this value
            settings.Menu.ShowStandardToolBar = false;
            settings.Menu.ShowStatePanel = false;
            settings.Menu.FitImages = true;
            settings.Menu.ImageSort = TRegMenu::isBySize;
        });
        auto form = MakeMainForm();
        QVERIFY(!form->isMinimized() && !form->isMaximized());
        QCOMPARE(form->pos(), QPoint(40, 30));
        QCOMPARE(form->size(), QSize(500, 380));
        QVERIFY(!form->Action(QStringLiteral("ViewShowHideStdBarAction"))->isChecked());
        QVERIFY(!form->Action(QStringLiteral("ViewShowHideStateAction"))->isChecked());
        QVERIFY(form->Action(QStringLiteral("ImagesFitAction"))->isChecked());
        QVERIFY(form->Action(QStringLiteral("ImagesSortBySizeAction"))->isChecked());
        QCOMPARE(errors->Texts, QStringList());

        // Exit writes the user's choices back, not the defaults.
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        form.reset();
        const auto settings = StoredSettings();
        QCOMPARE(int(settings->Window.State), int(TRegWindow::wsNormal));
        QVERIFY(!settings->Menu.ShowStandardToolBar);
        QVERIFY(!settings->Menu.ShowStatePanel);
        QVERIFY(settings->Menu.FitImages);
        QCOMPARE(int(settings->Menu.ImageSort), int(TRegMenu::isBySize));
    }

    void CloseHidesIntoTheTrayAndPromptsUntilTold()
    {
        auto form = MakeMainForm();
        form->TrayAvailable = true;
        form->show();

        QStringList promptTexts;
        TModalHandler prompt([&](QWidget *modal) {
            auto *dialog = qobject_cast<TShowMinPromptForm *>(modal);
            if (!dialog)
                return;
            promptTexts.append(dialog->windowTitle());
            for (const QLabel *label : dialog->findChildren<QLabel *>())
                promptTexts.append(label->text());
            dialog->ShowNextCheck()->setChecked(true);
            dialog->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
        });
        form->close();
        QVERIFY(prompt.Fired());
        QVERIFY(!form->isVisible());
        for (const char *text : {"Minized", "Quorvane minimized", "To restore main window, just click the search icon on",
                                 "system panel once."})
            QVERIFY2(promptTexts.contains(QLatin1String(text)), text);
        QVERIFY(!form->ShowMinPrompt);

        // Once told, later closes go into the tray without the prompt.
        form->WinTaskbarClick();
        QVERIFY(form->isVisible());
        TModalHandler none([](QWidget *modal) { modal->close(); });
        form->close();
        QVERIFY(!form->isVisible());
        QTest::qWait(50);
        QVERIFY(!none.Fired());

        // A tray click toggles the window; Exit really ends and stores the choice.
        form->WinTaskbarClick();
        QVERIFY(form->isVisible());
        form->WinTaskbarClick();
        QVERIFY(!form->isVisible());
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        form.reset();
        QVERIFY(!StoredSettings()->Window.ShowMinPrompt);
    }

    void CloseMinimisesWhereThereIsNoTray()
    {
        auto form = MakeMainForm();
        form->TrayAvailable = false;
        form->show();
        TModalHandler none([](QWidget *modal) { modal->close(); });
        form->close();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        QTest::qWait(50);
        QVERIFY(!none.Fired());
        QVERIFY(!form->ExitRequested);
    }

    void ExitRunsItsStepsInOrderAndStopsAtAFailingStep()
    {
        QFile blocker(home->Path() + QStringLiteral("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        auto form = MakeMainForm();
        QStringList steps;
        connect(form.get(), &TMainForm::ShutdownStep, this, [&](const QString &step) { steps.append(step); });
        QVERIFY(form->Settings->Options.AutoSaveLog);
        const QString logFolder = form->Settings->Options.DefaultLogFolder;
        form->Settings->Options.DefaultLogFolder = blocker.fileName() + QLatin1Char('/');
        form->show();
        form->resize(650, 450);
        form->StatePanel()->LogView()->AppendLogLine(QStringLiteral("[now] - a{b}\\c \u00e9"), TLogKind::Info);

        // A log file that cannot be written: reported, nothing stored, the
        // program goes on.
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        QCOMPARE(steps, QStringList{QStringLiteral("Stop all")});
        QCOMPARE(errors->Texts.size(), 1);
        QVERIFY2(errors->Texts.first().contains(blocker.fileName()), qPrintable(errors->Texts.first()));
        QVERIFY(form->isVisible());
        QVERIFY(!form->ExitRequested);
        QCOMPARE(StoredSettings()->Window.Width, 600);

        // A later Exit runs the whole sequence again.
        steps.clear();
        errors->Texts.clear();
        form->Settings->Options.DefaultLogFolder = logFolder;
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        QCOMPARE(steps, (QStringList{"Stop all", "Log", "Window settings", "Menu settings", "Settings saved"}));
        QVERIFY(!form->isVisible());
        form.reset();
        QCOMPARE(steps.mid(5), (QStringList{"Add threads ended", "Library saved"}));
        QCOMPARE(errors->Texts, QStringList());

        QCOMPARE(StoredSettings()->Window.Width, 650);
        QCOMPARE(QFileInfo(home->Path() + QStringLiteral("imglib.db")).size(), 264);
        const QStringList logs = QDir(logFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files);
        QCOMPARE(logs.size(), 1);
        QFile log(logFolder + logs.first());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray rtf = log.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY2(rtf.contains("[now] - a\\{b\\}\\\\c \\u233?"), rtf.constData());
    }

    void ExitStopsRunningTasksAndWritesThemFirst()
    {
        // A server that takes the connection and never answers: the task
        // runs until it is stopped.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        auto form = MakeMainForm();
        const QString path = home->Path() + QStringLiteral("Images/Projects/Silent.wrp");
        {
            TTask task;
            task.SetName(QStringLiteral("Silent"));
            task.URL().SetURI(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
            task.SetID(QStringLiteral("{00000000-0000-0000-0000-0000000000AB}"));
            task.SaveToFile(path);
        }
        TTask *task = form->Session->OpenTask(path);
        task->Run();
        QVERIFY(!task->Stopped());
        QTRY_VERIFY(silent.hasPendingConnections());

        QStringList steps;
        bool stoppedAtStopAll = false;
        int itemsWrittenAtStopAll = -1;
        connect(form.get(), &TMainForm::ShutdownStep, this, [&](const QString &step) {
            steps.append(step);
            if (step != QLatin1String("Stop all"))
                return;
            stoppedAtStopAll = task->Stopped();
            TTask written;
            written.LoadFromFile(path);
            itemsWrittenAtStopAll = written.Items().Count();
        });
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        QCOMPARE(steps.first(), QStringLiteral("Stop all"));
        QVERIFY(steps.contains(QStringLiteral("Settings saved")));
        QVERIFY(stoppedAtStopAll);
        QCOMPARE(itemsWrittenAtStopAll, 1); // the start item, waiting again
        form.reset();
    }

    void LogIsSavedOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("autoSaveLog");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void LogIsSavedOnlyWhenAsked()
    {
        QFETCH(bool, autoSaveLog);
        StoreSettings([&](TRegSettings &settings) { settings.Options.AutoSaveLog = autoSaveLog; });
        auto form = MakeMainForm();
        const QString logFolder = form->Settings->Options.DefaultLogFolder;
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        form.reset();
        // Even an empty log makes a file.
        QCOMPARE(QDir(logFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files).size(), autoSaveLog ? 1 : 0);
    }

    void PictureOrderIsStoredExceptByType_data()
    {
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("stored");
        QTest::newRow("unsorted") << "ImagesUnsortAction" << 0;
        QTest::newRow("by name") << "ImagesSortByNameAction" << 1;
        QTest::newRow("by size") << "ImagesSortBySizeAction" << 2;
        QTest::newRow("by type keeps") << "ImagesSortByTypeAction" << 1;
    }

    void PictureOrderIsStoredExceptByType()
    {
        QFETCH(QString, checked);
        QFETCH(int, stored);
        StoreSettings([](TRegSettings &settings) {
            settings.Menu.ImageSort = TRegMenu::isByName;
            settings.Menu.FitImages = true;
            settings.Menu.ShowStatePanel = false;
        });
        auto form = MakeMainForm();
        QVERIFY(form->Action(QStringLiteral("ImagesSortByNameAction"))->isChecked());
        QVERIFY(form->Action(QStringLiteral("ImagesFitAction"))->isChecked());
        QVERIFY(!form->Action(QStringLiteral("ViewShowHideStateAction"))->isChecked());
        QVERIFY(form->StatePanel()->isHidden());
        form->Action(checked)->trigger();
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        form.reset();
        const auto settings = StoredSettings();
        QCOMPARE(int(settings->Menu.ImageSort), stored);
        QVERIFY(settings->Menu.FitImages);
        QVERIFY(!settings->Menu.ShowStatePanel);
    }

    void UnreadableLibraryIsReportedAndLeftAlone()
    {
        const QString library = home->Path() + QStringLiteral("imglib.db");
        QVERIFY(QDir().mkpath(library)); // exists, but cannot be read as a file
        auto form = MakeMainForm();
        QCOMPARE(errors->Texts.size(), 1);
        form->Action(QStringLiteral("TasksExitAction"))->trigger();
        form.reset();
        QVERIFY(QFileInfo(library).isDir());
    }

private:
    std::unique_ptr<TTempHome> home;
    std::unique_ptr<TErrorLog> errors;
};

QTEST_MAIN(TMainWindowTest)
#include "MainWindow_qtest.moc"
