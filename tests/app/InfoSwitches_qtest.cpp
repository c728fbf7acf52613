// "zavelon --help" and "--version" are answered by the real program without a
// display: run with no display variable at all, any attempt to open a window
// would end it with Qt's "could not connect to display" instead.
#include "app/InfoSwitches.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TProgramRun {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

// Runs the desktop program with no display and its home folder variables
// pointing into `sandbox`, so that a home it should not make shows up there.
TProgramRun RunDesktopProgram(const QString &sandbox, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("ZAVELON_HOME"), sandbox + QStringLiteral("/zavelon-home"));
    environment.insert(QStringLiteral("HOME"), sandbox);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), sandbox + QStringLiteral("/data"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(sandbox);
    process.start(QStringLiteral(ZAVELON_APP), arguments);
    if (!process.waitForStarted() || !process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TInfoSwitchesTest : public QObject
{
    Q_OBJECT

private slots:
    void PrintsWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray usage = DesktopUsageText();
        const QByteArray version = "zavelon " ZAVELON_VERSION "\n";
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << usage;
        QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << usage;
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << version;
        QTest::newRow("after --home") << QStringList{QStringLiteral("--home"), QStringLiteral("h"), QStringLiteral("--help")}
                                      << usage;
        QTest::newRow("after a URL") << QStringList{QStringLiteral("http://127.0.0.1/"), QStringLiteral("--version")}
                                     << version;
    }

    void PrintsWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QTemporaryDir sandbox;
        QVERIFY(sandbox.isValid());
        const TProgramRun run = RunDesktopProgram(sandbox.path(), arguments);
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Out, expected);
        QCOMPARE(run.Err, QByteArray());
        // No home folder was made for it.
        QCOMPARE(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // The usage names every switch the program takes.
    void UsageNamesEverySwitch()
    {
        const QByteArray usage = DesktopUsageText();
        for (const char *name : {"--home DIR", "URL", "--native-host", "-REGSERVER", "-UNREGSERVER", "--help, -h",
                                 "--version"})
            QVERIFY2(usage.contains(name), name);
    }

    // What is not a request for help is left to the program: the value of
    // "--home", and whatever the browser passes to the messaging host.
    void OtherArgumentsAreNoRequest()
    {
        QVERIFY(!InfoSwitchText({QStringLiteral("--home"), QStringLiteral("--help")}));
        QVERIFY(!InfoSwitchText({QStringLiteral("--native-host"), QStringLiteral("--help")}));
        QVERIFY(!InfoSwitchText({QStringLiteral("http://127.0.0.1/"), QStringLiteral("-REGSERVER")}));
        QVERIFY(!InfoSwitchText({}));
    }
};

QTEST_GUILESS_MAIN(TInfoSwitchesTest)
#include "InfoSwitches_qtest.moc"
