// The running program's side of the browser hand-over: the CreateUrl
// sequence on the main window (the New Task window answered as a user
// would), requests over the socket in line, the real messaging host and a
// real second start handing over to a program running here, and the real
// program taking its home, with a lock left by a dead one taken over.
#include "AppTestSupport.h"
#include "ProgramSandbox.h"

#include "app/BrowserHandOver.h"
#include "app/HandOverChannel.h"
#include "app/HostManifests.h"
#include "app/MainForm.h"
#include "app/SingleInstance.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TestSite.h"
#include "session/DownloadSession.h"
#include "settings/RegSettings.h"
#include "settings/ui/TaskForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <cstring>

namespace {

// Answers every New Task window that opens, in turn, with the next answer
// (OK or Cancel), and notes what the user saw in it.
class TNewTaskAnswerer
{
public:
    struct TSeen {
        QString Url;
        bool FromBrowser = false;
        bool MainWindowVisible = false;
        int OpenTaskWindows = 0;
    };

    TNewTaskAnswerer(TMainForm *form, QList<bool> answers)
        : m_form(form)
        , m_answers(std::move(answers))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
        m_timer.start();
    }

    QList<TSeen> Seen;

private:
    void Look()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("TaskForm") || dialog == m_last || m_answers.isEmpty())
            return;
        m_last = dialog;
        TSeen seen;
        seen.Url = Find<QLineEdit>(dialog, "UrlEdit")->text();
        seen.FromBrowser = m_form && m_form->FromBrowser;
        seen.MainWindowVisible = m_form && m_form->isVisible();
        const QWidgetList windows = QApplication::topLevelWidgets();
        seen.OpenTaskWindows = int(std::count_if(windows.begin(), windows.end(), [](QWidget *w) {
            return w->objectName() == QLatin1String("TaskForm") && w->isVisible();
        }));
        Seen.append(seen);
        const bool ok = m_answers.takeFirst();
        Find<QPushButton>(dialog, ok ? "OkButton" : "CancelButton")->click();
    }

    QPointer<TMainForm> m_form;
    QList<bool> m_answers;
    QPointer<QDialog> m_last;
    QTimer m_timer;
};

QByteArray Frame(const QByteArray &json)
{
    const std::uint32_t length = static_cast<std::uint32_t>(json.size());
    return QByteArray(reinterpret_cast<const char *>(&length), sizeof length) + json;
}

QJsonObject FirstAnswer(const QByteArray &output)
{
    std::uint32_t length = 0;
    if (output.size() < 4)
        return {};
    std::memcpy(&length, output.constData(), 4);
    return QJsonDocument::fromJson(output.mid(4, length)).object();
}

// One request line sent over a raw connection; the reply line.
QByteArray Ask(const QString &socketPath, const QByteArray &line)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(line);
    QDeadlineTimer deadline(20000);
    while (!socket.canReadLine() && !deadline.hasExpired())
        QTest::qWait(10);
    return socket.readLine().trimmed();
}

} // namespace

class TBrowserHandOverTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        sandbox = std::make_unique<TProgramSandbox>();
        QVERIFY(sandbox->IsValid());
        SetProgramHome(sandbox->ProgramHome());
        errors = std::make_unique<TErrorLog>();
        StoreSettings([](TRegSettings &settings) {
            settings.Options.DefaultTaskAdded = true;
            settings.Window.ShowTip = false;
        });
        projects = sandbox->ProgramHome() + QStringLiteral("Images/Projects/");
        QVERIFY(QDir().mkpath(projects));
        site = std::make_unique<TTestSite>();
        site->Page(QStringLiteral("/"), "<a href=\"a.jpg\">a</a> <img src=\"b.jpg\">");
        site->File(QStringLiteral("/a.jpg"), QByteArray(20000, 'a'));
        site->File(QStringLiteral("/b.jpg"), QByteArray(30000, 'b'));
        // An address the New Task window would otherwise offer.
        QGuiApplication::clipboard()->setText(QStringLiteral("http://clipboard.example/"));
    }

    void cleanup()
    {
        handOver.reset();
        form.reset();
        site.reset();
        errors.reset();
        sandbox.reset();
    }

    // From the tray: the window comes up, "New Task" opens over it with the
    // address (not the clipboard's), and OK makes the task and runs it.
    void HandOverOpensNewTaskWithTheAddressAndRunsIt()
    {
        Start();
        QVERIFY(!form->isVisible());
        TNewTaskAnswerer answerer(form.get(), {true});
        const THandOverReply reply = form->CreateUrl(site->Url(QStringLiteral("/")));
        QCOMPARE(answerer.Seen.size(), 1);
        QCOMPARE(answerer.Seen[0].Url, site->Url(QStringLiteral("/")));
        QVERIFY(answerer.Seen[0].FromBrowser);
        QVERIFY(answerer.Seen[0].MainWindowVisible);
        QCOMPARE(reply.Result, THandOverResult::Started);
        QVERIFY(!form->FromBrowser);
        QCOMPARE(form->BrowserUrl, site->Url(QStringLiteral("/")));

        TTask *task = form->TreeCommands()->SelectedTask();
        QVERIFY(task);
        QCOMPARE(reply.Message, QStringLiteral("The task \"%1\" runs.").arg(task->Name()));
        QCOMPARE(QFileInfo(task->FileName()).absolutePath() + QLatin1Char('/'), projects);
        QTRY_VERIFY_WITH_TIMEOUT(task->Stopped(), 20000);
        QCOMPARE(SavedPictures(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
        QVERIFY(errors->Texts.isEmpty());
    }

    // Cancel makes nothing, and the task that happens to be selected does
    // not run in its place.
    void CancelledNewTaskMakesNothingAndRunsNothing()
    {
        WriteTask(QStringLiteral("Selected.wrp"));
        Start();
        form->show();
        form->TreePanel()->SetCurrent(form->TreePanel()->Model().FindPath(projects + QStringLiteral("Selected.wrp")));
        TTask *selected = form->TreeCommands()->SelectedTask();
        QVERIFY(selected && form->Action(TCommandId::TasksRun)->isEnabled());
        TNewTaskAnswerer answerer(form.get(), {false});
        const THandOverReply reply = form->CreateUrl(site->Url(QStringLiteral("/")));
        QCOMPARE(answerer.Seen.size(), 1);
        QCOMPARE(reply.Result, THandOverResult::Cancelled);
        QVERIFY(selected->Stopped());
        QCOMPARE(QDir(projects).entryList({QStringLiteral("*.wrp")}), QStringList{QStringLiteral("Selected.wrp")});
        QVERIFY(!form->FromBrowser);
        QVERIFY(errors->Texts.isEmpty());
    }

    // With three tasks running the task is made and kept, and "Run" refuses
    // it as it refuses the user: the message is shown and sent back.
    void FourthTaskIsMadeButRefused()
    {
        site->Held(QStringLiteral("/held.jpg"), QByteArray(50000, 'h'), 10);
        for (const char *name : {"T1", "T2", "T3"})
            WriteTask(QLatin1String(name) + QStringLiteral(".wrp"), QStringLiteral("/held.jpg"));
        Start();
        form->show();
        for (const char *name : {"T1", "T2", "T3"}) {
            form->TreePanel()->SetCurrent(
                form->TreePanel()->Model().FindPath(projects + QLatin1String(name) + QStringLiteral(".wrp")));
            form->Action(TCommandId::TasksRun)->trigger();
        }
        QCOMPARE(form->Session->RunningCount(), 3);
        TNewTaskAnswerer answerer(form.get(), {true});
        const THandOverReply reply = form->CreateUrl(site->Url(QStringLiteral("/")));
        const QString refusal = QStringLiteral("Too many tasks running, please wait until a task stop!");
        QCOMPARE(reply.Result, THandOverResult::Refused);
        QCOMPARE(reply.Message, refusal);
        QCOMPARE(errors->Texts, QStringList{refusal});
        const TTask *made = form->TreeCommands()->SelectedTask();
        QVERIFY(made && made->Stopped());
        QVERIFY(QFileInfo::exists(made->FileName()));
        QVERIFY(!form->FromBrowser);
        form->Action(TCommandId::TasksStopAll)->trigger();
        site->Release(QStringLiteral("/held.jpg"));
    }

    // An error inside the sequence goes back as the answer; the flag is
    // cleared all the same.
    void ErrorInsideTheSequenceIsAnsweredAndClearsTheFlag()
    {
        Start();
        bool flagDuringNew = false;
        QObject::connect(form->Action(TCommandId::TasksNew), &QAction::triggered, form.get(), [&] {
            flagDuringNew = form->FromBrowser;
            throw EZavelonError(QStringLiteral("Cannot write file \"x.wrp\"."));
        });
        TNewTaskAnswerer answerer(form.get(), {false});
        const THandOverReply reply = form->CreateUrl(site->Url(QStringLiteral("/")));
        QVERIFY(flagDuringNew);
        QCOMPARE(reply.Result, THandOverResult::Error);
        QCOMPARE(reply.Message, QStringLiteral("Cannot write file \"x.wrp\"."));
        QVERIFY(!form->FromBrowser);
    }

    // Two requests at once: the second window opens only after the first
    // closed, and each connection gets its own answer.
    void RequestsWaitInLine()
    {
        Start();
        Listen();
        TNewTaskAnswerer answerer(form.get(), {false, false});
        QLocalSocket first;
        QLocalSocket second;
        for (QLocalSocket *socket : {&first, &second}) {
            socket->connectToServer(handOver->SocketPath());
            QVERIFY(socket->waitForConnected(5000));
        }
        first.write(THandOverRequest::CreateUrl(QStringLiteral("http://127.0.0.1:1/first/")).ToLine());
        second.write(THandOverRequest::CreateUrl(QStringLiteral("http://127.0.0.1:1/second/")).ToLine());
        QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine() && second.canReadLine(), 20000);
        QCOMPARE(answerer.Seen.size(), 2);
        QCOMPARE(answerer.Seen[0].Url, QStringLiteral("http://127.0.0.1:1/first/"));
        QCOMPARE(answerer.Seen[1].Url, QStringLiteral("http://127.0.0.1:1/second/"));
        QCOMPARE(answerer.Seen[0].OpenTaskWindows, 1);
        QCOMPARE(answerer.Seen[1].OpenTaskWindows, 1);
        QCOMPARE(THandOverReply::FromJson(first.readLine()).Result, THandOverResult::Cancelled);
        QCOMPARE(THandOverReply::FromJson(second.readLine()).Result, THandOverResult::Cancelled);
    }

    // A window the user has open keeps its task: the request waits until
    // it is closed, then opens its New Task window.
    void RequestWaitsForTheUsersOpenWindow()
    {
        Start();
        TNewTaskAnswerer answerer(form.get(), {false});
        QDialog usersWindow;
        usersWindow.setWindowModality(Qt::ApplicationModal);
        usersWindow.show();
        QTRY_COMPARE(QApplication::activeModalWidget(), &usersWindow);
        QList<THandOverReply> replies;
        handOver->Post(THandOverRequest::CreateUrl(QStringLiteral("http://127.0.0.1:1/later/")),
                       [&replies](const THandOverReply &reply) { replies.append(reply); });
        QTest::qWait(500);
        QVERIFY(answerer.Seen.isEmpty());
        QVERIFY(replies.isEmpty());
        usersWindow.close();
        QTRY_COMPARE_WITH_TIMEOUT(replies.size(), 1, 10000);
        QCOMPARE(answerer.Seen.size(), 1);
        QCOMPARE(replies[0].Result, THandOverResult::Cancelled);
    }

    void BadRequestLinesAreAnsweredAndChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("not JSON") << QByteArray("hello\n") << QStringLiteral("The message is not JSON: illegal value.");
        QTest::newRow("unknown command") << QByteArray("{\"command\":\"Exit\"}\n")
                                         << QStringLiteral("Unknown request \"Exit\".");
        QTest::newRow("not http") << QByteArray("{\"command\":\"CreateUrl\",\"url\":\"file:///etc/passwd\"}\n")
                                  << QStringLiteral("Not an http or https address: file:///etc/passwd");
        QTest::newRow("no address") << QByteArray("{\"command\":\"CreateUrl\"}\n")
                                    << QStringLiteral("The message names no address.");
    }

    void BadRequestLinesAreAnsweredAndChangeNothing()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, message);
        Start();
        Listen();
        TNewTaskAnswerer answerer(form.get(), {true});
        const THandOverReply reply = THandOverReply::FromJson(Ask(handOver->SocketPath(), line));
        QCOMPARE(reply.Result, THandOverResult::Error);
        QCOMPARE(reply.Message, message);
        QTest::qWait(50);
        QVERIFY(answerer.Seen.isEmpty());
        QVERIFY(!form->isVisible());
        QCOMPARE(QDir(projects).entryList({QStringLiteral("*.wrp")}), QStringList());
    }

    // The whole way from the browser's side: the real messaging host hands
    // the address to the program running here, and the task runs.
    void MessagingHostToRunningProgram()
    {
        Start();
        Listen();
        TNewTaskAnswerer answerer(form.get(), {true});
        const QByteArray message =
            QJsonDocument(QJsonObject{{QStringLiteral("url"), site->Url(QStringLiteral("/"))}}).toJson(QJsonDocument::Compact);
        const TProgramSandbox::TRun run = sandbox->Run(
            {QStringLiteral("--native-host"), QStringLiteral("--home"), sandbox->ProgramHome()}, Frame(message));
        QCOMPARE(run.ExitCode, 0);
        const QJsonObject answer = FirstAnswer(run.Out);
        QCOMPARE(answer.value(QStringLiteral("result")).toString(), QStringLiteral("started"));
        QCOMPARE(answerer.Seen.size(), 1);
        QCOMPARE(answerer.Seen[0].Url, site->Url(QStringLiteral("/")));
        TTask *task = form->TreeCommands()->SelectedTask();
        QVERIFY(task);
        QTRY_VERIFY_WITH_TIMEOUT(task->Stopped(), 20000);
        QCOMPARE(SavedPictures(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    }

    // A second start by hand, with or without an address, hands over to the
    // program of its home and ends; it needs no display for that.
    void SecondStartHandsOverAndEnds()
    {
        Start();
        TInstanceLock lock(sandbox->ProgramHome());
        QCOMPARE(lock.Acquire(), TInstanceLock::TState::Acquired);
        Listen();
        {
            TNewTaskAnswerer answerer(form.get(), {false});
            const TProgramSandbox::TRun run =
                sandbox->Run({QStringLiteral("--home"), sandbox->ProgramHome(), site->Url(QStringLiteral("/"))});
            QCOMPARE(run.ExitCode, 0);
            QCOMPARE(answerer.Seen.size(), 1);
            QCOMPARE(answerer.Seen[0].Url, site->Url(QStringLiteral("/")));
        }
        form->hide();
        const TProgramSandbox::TRun show = sandbox->Run({QStringLiteral("--home"), sandbox->ProgramHome()});
        QCOMPARE(show.ExitCode, 0);
        QVERIFY(form->isVisible());
        // Not an address: refused before anything is handed over.
        const TProgramSandbox::TRun bad =
            sandbox->Run({QStringLiteral("--home"), sandbox->ProgramHome(), QStringLiteral("ftp://x/")});
        QCOMPARE(bad.ExitCode, 2);
        QVERIFY2(bad.Err.contains("Not an http or https address: ftp://x/"), bad.Err.constData());
    }

    // The real program takes its home: a second start finds it; once it
    // has died without cleaning up, the next start takes the home over.
    void RealProgramHoldsItsHomeAndADeadOnesLockIsTakenOver()
    {
        const QString socket = HandOverSocketPath(sandbox->ProgramHome());
        for (int round = 0; round < 2; ++round) {
            std::unique_ptr<QProcess> program =
                sandbox->Start({QStringLiteral("--home"), sandbox->ProgramHome()}, QStringLiteral("offscreen"));
            QVERIFY(program->waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(Answers(socket), 30000);
            // A normal start has written the browser entries for its home.
            const THostManifests entries(DesktopProgramPath(), sandbox->ProgramHome());
            QVERIFY(ReadAll(entries.HostScriptPath()).contains(sandbox->ProgramHome().toUtf8()));
            const TProgramSandbox::TRun second = sandbox->Run({QStringLiteral("--home"), sandbox->ProgramHome()});
            QCOMPARE(second.ExitCode, 0);
            QCOMPARE(program->state(), QProcess::Running);
            // Killed: its lock and socket stay behind for the next round.
            program->terminate();
            QVERIFY(program->waitForFinished(10000));
            QVERIFY(QFileInfo::exists(socket));
        }
    }

private:
    void Start()
    {
        form = MakeMainForm();
        handOver = std::make_unique<TBrowserHandOver>(*form);
    }

    void Listen()
    {
        try {
            handOver->Listen(sandbox->ProgramHome());
        } catch (const EZavelonError &error) {
            QFAIL(qPrintable(error.message()));
        }
        // The owner's bits and nobody else's (the "user" bits are the
        // test's own access, which differs for root).
        QCOMPARE(QFileInfo(handOver->SocketPath()).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    static bool Answers(const QString &socketPath)
    {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        return socket.waitForConnected(1000);
    }

    void WriteTask(const QString &relative, const QString &start = QStringLiteral("/"))
    {
        TTask task;
        task.SetName(QFileInfo(relative).completeBaseName());
        task.SetID(QStringLiteral("{%1}").arg(relative));
        task.URL().SetURI(site->Url(start));
        task.Options().DefaultFolder = sandbox->ProgramHome() + QStringLiteral("Other/") + task.Name() + QLatin1Char('/');
        task.Options().FileMasks = {QStringLiteral("jpg, Saved")};
        task.Options().EnableFileLimit = false;
        // A worker that has nowhere to save ends at once: the folder is there.
        QDir().mkpath(task.Options().DefaultFolder + QStringLiteral("Saved"));
        task.SaveToFile(projects + relative);
    }

    // The pictures saved under the default download folder, by name.
    QStringList SavedPictures() const
    {
        QStringList names;
        QDirIterator it(sandbox->ProgramHome() + QStringLiteral("Images/Downloaded Files"), {QStringLiteral("*.jpg")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            names << QFileInfo(it.next()).fileName();
        names.sort();
        return names;
    }

    std::unique_ptr<TProgramSandbox> sandbox;
    std::unique_ptr<TErrorLog> errors;
    std::unique_ptr<TTestSite> site;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TBrowserHandOver> handOver;
    QString projects;
};

QTEST_MAIN(TBrowserHandOverTest)
#include "BrowserHandOver_qtest.moc"
