// The browser's messaging host: which messages it hands on and what it
// answers, in-process with a recorded hand-over, and as the real
// "zavelon --native-host" without a display, against a stand-in for the
// running program on the hand-over socket.
#include "ProgramSandbox.h"

#include "app/HandOverChannel.h"
#include "app/NativeHost.h"
#include "engine/Errors.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTest>

#include <cstdint>
#include <cstring>

namespace {

QByteArray Frame(const QByteArray &json)
{
    const std::uint32_t length = static_cast<std::uint32_t>(json.size());
    return QByteArray(reinterpret_cast<const char *>(&length), sizeof length) + json;
}

QByteArray Length(std::uint32_t length)
{
    return QByteArray(reinterpret_cast<const char *>(&length), sizeof length);
}

// The answers in a host's output, as "result: message" texts; a frame that
// is not whole is listed as "<cut>".
QStringList Answers(QByteArray output)
{
    QStringList answers;
    while (!output.isEmpty()) {
        std::uint32_t length = 0;
        if (output.size() < 4) {
            answers << QStringLiteral("<cut>");
            break;
        }
        std::memcpy(&length, output.constData(), 4);
        if (output.size() < 4 + qsizetype(length)) {
            answers << QStringLiteral("<cut>");
            break;
        }
        const QJsonObject reply = QJsonDocument::fromJson(output.mid(4, length)).object();
        answers << reply.value(QStringLiteral("result")).toString() + QStringLiteral(": ")
                       + reply.value(QStringLiteral("message")).toString();
        output.remove(0, 4 + length);
    }
    return answers;
}

// What a stand-in program answers for an address: the address itself as
// the message, refused when it names "busy".
THandOverReply StandInReply(const QString &url)
{
    if (url.contains(QLatin1String("busy")))
        return {THandOverResult::Refused, QStringLiteral("Too many tasks running, please wait until a task stop!")};
    return {THandOverResult::Started, url};
}

// A running program as far as the socket goes: answers every request line.
class TStandInProgram : public QObject
{
public:
    explicit TStandInProgram(const QString &home)
    {
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        const QString path = HandOverSocketPath(home);
        QLocalServer::removeServer(path);
        Listening = m_server.listen(path);
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                    while (socket->canReadLine()) {
                        QString reason;
                        const auto request = THandOverRequest::FromLine(socket->readLine(), &reason);
                        Received << (request ? request->Url : QStringLiteral("<bad>"));
                        socket->write((request ? StandInReply(request->Url) : THandOverReply::Failure(reason)).ToJson()
                                      + '\n');
                    }
                });
            }
        });
    }

    bool Listening = false;
    QStringList Received;

private:
    QLocalServer m_server;
};

const QString kGood = QStringLiteral("http://127.0.0.1:8080/gallery/");

} // namespace

class TNativeHostTest : public QObject
{
    Q_OBJECT

private slots:
    void AddressCheck_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("http") << kGood << true;
        QTest::newRow("https with query") << QStringLiteral("https://example.org/a.jpg?size=2") << true;
        QTest::newRow("scheme in capitals") << QStringLiteral("HTTP://example.org/") << true;
        QTest::newRow("non-ASCII path") << QStringLiteral("http://example.org/b\u00e4der/") << true;
        QTest::newRow("longest a task keeps") << QStringLiteral("http://h/") + QString(1014, QLatin1Char('a')) << true;
        QTest::newRow("one byte longer") << QStringLiteral("http://h/") + QString(1015, QLatin1Char('a')) << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("ftp") << QStringLiteral("ftp://example.org/a.jpg") << false;
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << false;
        QTest::newRow("relative") << QStringLiteral("/gallery/a.jpg") << false;
        QTest::newRow("no host") << QStringLiteral("http:///a.jpg") << false;
        QTest::newRow("blank") << QStringLiteral("http://example.org/a b.jpg") << false;
        QTest::newRow("line break") << QStringLiteral("http://example.org/\n") << false;
        QTest::newRow("control character") << QStringLiteral("http://example.org/\u0007") << false;
    }

    void AddressCheck()
    {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QString reason;
        const std::optional<QString> checked = CheckHandOverUrl(url, &reason);
        QCOMPARE(checked.has_value(), accepted);
        QCOMPARE(reason.isEmpty(), accepted);
        if (accepted)
            QCOMPARE(*checked, url);
    }

    // Each row: the bytes the browser sends, the answers in order, the
    // addresses handed on, and the host's exit code.
    void Messages_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("handed");
        QTest::addColumn<int>("exitCode");
        const QByteArray good = Frame("{\"url\":\"http://127.0.0.1:8080/gallery/\"}");
        const QString started = QStringLiteral("started: ") + kGood;
        const qint64 tooLong = 1024 * 1024 + 1;
        QTest::newRow("one address") << good << QStringList{started} << QStringList{kGood} << 0;
        QTest::newRow("two, answered in order")
            << good + Frame("{\"url\":\"http://busy.example/\"}")
            << QStringList{started, QStringLiteral("refused: Too many tasks running, please wait until a task stop!")}
            << QStringList{kGood, QStringLiteral("http://busy.example/")} << 0;
        QTest::newRow("other keys ignored") << Frame("{\"url\":\"http://127.0.0.1:8080/gallery/\",\"page\":\"x\",\"n\":1}")
                                            << QStringList{started} << QStringList{kGood} << 0;
        QTest::newRow("nothing at all") << QByteArray() << QStringList() << QStringList() << 0;
        QTest::newRow("not JSON, then good")
            << Frame("url=http://x/") + good
            << QStringList{QStringLiteral("error: The message is not JSON: illegal value."), started}
            << QStringList{kGood} << 0;
        QTest::newRow("array") << Frame("[\"http://x/\"]")
                               << QStringList{QStringLiteral("error: The message is not a JSON object.")}
                               << QStringList() << 0;
        QTest::newRow("no url") << Frame("{\"link\":\"http://x/\"}")
                                << QStringList{QStringLiteral("error: The message names no address.")} << QStringList()
                                << 0;
        QTest::newRow("url not a string") << Frame("{\"url\":42}")
                                          << QStringList{QStringLiteral("error: The message names no address.")}
                                          << QStringList() << 0;
        QTest::newRow("not http") << Frame("{\"url\":\"file:///etc/passwd\"}")
                                  << QStringList{QStringLiteral("error: Not an http or https address: file:///etc/passwd")}
                                  << QStringList() << 0;
        QTest::newRow("empty message, then good")
            << Length(0) + good << QStringList{QStringLiteral("error: The message is empty."), started}
            << QStringList{kGood} << 0;
        QTest::newRow("too long, dropped, then good")
            << Length(tooLong) + QByteArray(tooLong, ' ') + good
            << QStringList{QStringLiteral("error: The message is longer than 1048576 bytes."), started}
            << QStringList{kGood} << 0;
        QTest::newRow("too long and cut short")
            << Length(0xffffffffu) + QByteArray(100, '{')
            << QStringList{QStringLiteral("error: The message is longer than 1048576 bytes.")} << QStringList() << 1;
        QTest::newRow("shorter than announced")
            << Length(200) + QByteArray("{\"url\":\"http://x/\"}")
            << QStringList{QStringLiteral("error: The message ended before its announced length.")} << QStringList()
            << 1;
        QTest::newRow("length cut short") << good + QByteArray("\x05\x00", 2)
                                          << QStringList{started, QStringLiteral("error: The message length is cut short.")}
                                          << QStringList{kGood} << 1;
    }

    void Messages()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, handed);
        QFETCH(int, exitCode);
        QBuffer in(&input);
        QByteArray output;
        QBuffer out(&output);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QVERIFY(out.open(QIODevice::WriteOnly));
        QStringList received;
        TNativeHost host(in, out, [&](const THandOverRequest &request) {
            received << request.Url;
            return StandInReply(request.Url);
        });
        QCOMPARE(host.Run(), exitCode);
        QCOMPARE(Answers(output), answers);
        QCOMPARE(received, handed);
    }

    // The real host: no display (Qt's X11 platform without $DISPLAY would
    // end any program that tried to open one), the browser's own arguments
    // after the switch, answers passed through from the running program.
    void RealHostRelaysTheRunningProgramsAnswers()
    {
        TProgramSandbox sandbox;
        QVERIFY(sandbox.IsValid());
        TStandInProgram program(sandbox.ProgramHome());
        QVERIFY(program.Listening);
        const QByteArray input = Frame("{\"url\":\"http://127.0.0.1:8080/gallery/\"}") + Frame("nonsense")
                                 + Frame("{\"url\":\"https://busy.example/a.jpg\"}");
        const TProgramSandbox::TRun run =
            sandbox.Run({QStringLiteral("--native-host"), QStringLiteral("--home"), sandbox.ProgramHome(),
                         QStringLiteral("chrome-extension://dmeeibcbphepcifclhlodmohokkgbfdi/")},
                        input);
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(Answers(run.Out),
                 (QStringList{QStringLiteral("started: ") + kGood, QStringLiteral("error: The message is not JSON: illegal value."),
                              QStringLiteral("refused: Too many tasks running, please wait until a task stop!")}));
        QCOMPARE(program.Received, (QStringList{kGood, QStringLiteral("https://busy.example/a.jpg")}));
        QVERIFY2(!run.Err.contains("display"), run.Err.constData());
    }

    // With no program running, the host starts one; here it cannot open a
    // window, so the host says so at once instead of waiting its full time.
    void HostSaysWhenTheProgramItStartedEnded()
    {
        TProgramSandbox sandbox;
        QVERIFY(sandbox.IsValid());
        QElapsedTimer timer;
        timer.start();
        const TProgramSandbox::TRun run =
            sandbox.Run({QStringLiteral("--native-host"), QStringLiteral("--home"), sandbox.ProgramHome()},
                        Frame("{\"url\":\"http://127.0.0.1:8080/gallery/\"}"));
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(Answers(run.Out), QStringList{QStringLiteral("error: Zavelon ended before it could take the address.")});
        QVERIFY2(timer.elapsed() < HandOver::kStartTimeoutMs, "the host waited for a program that had ended");
    }

    // The socket is the user's alone: the folder 0700, the socket 0600 (a
    // folder others could enter is not used at all).
    void SocketFolderIsTheUsersAlone()
    {
        TProgramSandbox sandbox;
        QVERIFY(sandbox.IsValid());
        const QString folder = HandOverFolder();
        QCOMPARE(folder, sandbox.RuntimeFolder() + QStringLiteral("/zavelon"));
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
        QVERIFY(QFile::setPermissions(folder, QFileInfo(folder).permissions() | QFileDevice::ExeOther
                                                  | QFileDevice::ReadOther));
        QVERIFY_THROWS_EXCEPTION(EZavelonError, HandOverFolder());
        const THandOverReply reply = THandOverClient(sandbox.ProgramHome(), QString()).Send(THandOverRequest::Show());
        QCOMPARE(reply.Result, THandOverResult::Error);
        QVERIFY2(reply.Message.contains(QStringLiteral("open to other users")), qPrintable(reply.Message));
    }
};

QTEST_GUILESS_MAIN(TNativeHostTest)
#include "NativeHost_qtest.moc"
