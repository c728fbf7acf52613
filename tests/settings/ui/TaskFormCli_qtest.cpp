// A task made in the "New Task" dialog is the task `zavelon-cli task new`
// makes from the same inputs, and `zavelon-cli run` runs it.
#include "support/WidgetTestSupport.h"

#include "engine/Guid.h"
#include "engine/Task.h"
#include "engine/TestSite.h"
#include "settings/RegSettings.h"
#include "settings/ui/TaskForm.h"

#include <QCheckBox>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TCliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real program, as scripts run it, with its home in `home`.
TCliRun RunCli(const QString &home, const QStringList &args)
{
    QProcess process;
    process.setWorkingDirectory(home);
    process.start(QStringLiteral(ZAVELON_CLI), QStringList{QStringLiteral("--home"), home} + args);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QJsonObject Shown(const QString &home, const QString &project)
{
    const TCliRun run = RunCli(home, {QStringLiteral("task"), QStringLiteral("show"), project});
    if (run.exitCode != 0)
        qWarning("task show: %s", run.err.constData());
    return QJsonDocument::fromJson(run.out).object();
}

} // namespace

class TTaskFormCliTest : public QObject
{
    Q_OBJECT

private slots:
    void DialogAndCommandLineMakeTheSameTaskWhichRuns()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        TErrorLog errors;
        TTestSite site;
        const QByteArray picture(20 * 1024, 'x'); // above the default lower limit
        site.Page(QStringLiteral("/index.html"), "<a href=\"more.html\">more</a><img src=\"one.jpg\">");
        site.Page(QStringLiteral("/more.html"), "<img src=\"two.gif\"><img src=\"skip.gif\">");
        site.File(QStringLiteral("/one.jpg"), picture);
        site.File(QStringLiteral("/two.gif"), picture);
        site.File(QStringLiteral("/skip.gif"), picture);
        // The typed address, without its scheme: both complete it.
        const QString typedUrl = site.Url(QStringLiteral("/index.html")).mid(int(qstrlen("http://")));

        // The defaults both start from, with a proxy that is set up but off.
        TRegSettings settings(home.path());
        settings.Load();
        settings.Options.ProxyServerAddr = QStringLiteral("proxy.invalid");
        settings.Options.ProxyServerPort = 3128;
        settings.Options.ExcludeFiles = {QStringLiteral("never.gif")};
        settings.Save();

        // The dialog: URL, name, note, depth, an excluded file, a login.
        // A failed check inside leaves no dialog waiting.
        auto answer = AnswerModal([&](QWidget *modal) {
            auto *url = modal->findChild<QLineEdit *>(QStringLiteral("UrlEdit"));
            url->setFocus();
            QTest::keyClicks(url, typedUrl);
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("NameEdit")), QStringLiteral("site"));
            modal->findChild<QPlainTextEdit *>(QStringLiteral("NoteEdit"))->setPlainText(QStringLiteral("a note"));
            QTest::mouseClick(modal->findChild<QCheckBox *>(QStringLiteral("NeedToLoginCheckBox")), Qt::LeftButton,
                              {}, QPoint(8, 8));
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("UserNameEdit")), QStringLiteral("me"));
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("PasswordEdit")), QStringLiteral("pw"));
            modal->findChild<QSlider *>(QStringLiteral("SeekDeepTrackBar"))->setValue(2);
            auto exclude = AnswerModal([](QWidget *add) {
                QTest::keyClicks(add->findChild<QLineEdit *>(QStringLiteral("FileNameEdit")), QStringLiteral("skip.gif"));
                QTest::mouseClick(add->findChild<QPushButton *>(QStringLiteral("OkButton")), Qt::LeftButton);
            });
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("ExcludeAddButton")), Qt::LeftButton);
            QVERIFY(exclude->Fired());
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("OkButton")), Qt::LeftButton);
        });
        std::unique_ptr<TTask> task = OpenNewTask(nullptr, settings.Options);
        QVERIFY(answer->Fired());
        QVERIFY(task);
        QCOMPARE(errors.Texts, QStringList());
        const QString fromDialog = QDir(home.path()).filePath(QStringLiteral("dialog.wrp"));
        task->SetID(NewGuidText());
        task->SetFileName(fromDialog);
        task->SaveToFile(fromDialog);

        // The command line with the same inputs.
        const QString fromCli = QDir(home.path()).filePath(QStringLiteral("cli.wrp"));
        const TCliRun made = RunCli(home.path(), {"task", "new", fromCli, "--url", typedUrl, "--name", "site", "--note",
                                                  "a note", "--depth", "2", "--exclude", "skip.gif", "--login",
                                                  "me:pw"});
        QVERIFY2(made.exitCode == 0, made.err.constData());

        const QJsonObject dialogTask = Shown(home.path(), fromDialog);
        const QJsonObject cliTask = Shown(home.path(), fromCli);
        QVERIFY(!dialogTask.isEmpty());
        for (const char *key : {"Name", "Note", "URL", "Options", "Items", "Stopped", "DoneCount"})
            QCOMPARE(dialogTask[QLatin1String(key)], cliTask[QLatin1String(key)]);
        const QJsonObject options = dialogTask[QStringLiteral("Options")].toObject();
        QCOMPARE(dialogTask[QStringLiteral("URL")].toString(), QStringLiteral("http://") + typedUrl);
        QCOMPARE(options[QStringLiteral("ProxyServerAddr")].toString(), QStringLiteral("proxy.invalid"));
        QCOMPARE(options[QStringLiteral("ExcludeFiles")].toVariant().toStringList(),
                 QStringList({"never.gif", "skip.gif"}));

        // The dialog's task runs to its end.
        const TCliRun run = RunCli(home.path(), {QStringLiteral("run"), fromDialog, QStringLiteral("--quiet")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QString saved = task->Options().DefaultFolder + QStringLiteral("Saved/");
        QCOMPARE(QDir(saved).entryList(QDir::Files, QDir::Name), QStringList({"one.jpg", "two.gif"}));
    }
};

QTEST_MAIN(TTaskFormCliTest)
#include "TaskFormCli_qtest.moc"
