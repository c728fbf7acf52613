#include "app/HandOverChannel.h"

#include "engine/Errors.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kResultNames[] = {"started", "cancelled", "refused", "shown", "error"};

// ---- Requests and replies -------------------------------------------------------

QJsonObject ParseObject(const QByteArray &json, QString *reason)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        *reason = QStringLiteral("The message is not JSON: %1.").arg(error.errorString());
        return {};
    }
    if (!document.isObject()) {
        *reason = QStringLiteral("The message is not a JSON object.");
        return {};
    }
    reason->clear();
    return document.object();
}

// ---- The runtime folder ---------------------------------------------------------

// Makes `path` a folder of this user with mode 0700, or says why it is not
// one: a folder that someone else owns or can enter is refused, since
// another user could then read the addresses or answer in Zavelon's place.
void EnsurePrivateFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw EZavelonError(QStringLiteral("Cannot create the folder \"%1\": %2.")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        throw EZavelonError(QStringLiteral("Cannot read the folder \"%1\": %2.")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        throw EZavelonError(QStringLiteral("The folder \"%1\" is not a folder of this user; "
                                           "Zavelon does not use it to take addresses.")
                                .arg(path));
    if ((info.st_mode & 077) != 0)
        throw EZavelonError(QStringLiteral("The folder \"%1\" is open to other users; "
                                           "Zavelon does not use it to take addresses.")
                                .arg(path));
}

QString HomeKey(const QString &home)
{
    // The same home reached through another spelling or a link is the same
    // program.
    QString canonical = QFileInfo(home).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir(home).absolutePath();
    const QByteArray digest = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(16));
}

// ---- The client -----------------------------------------------------------------

bool ProcessAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    // A child nobody reaps stays as a zombie: it has ended all the same.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        if (close >= 0 && close + 2 < text.size() && (text.at(close + 2) == 'Z' || text.at(close + 2) == 'X'))
            return false;
    }
    return true;
}

// Whether a program of `home` holds its lock: then it is starting or
// running, and will listen (or has ended abnormally and the lock is stale,
// which QLockFile recognises).
bool InstanceRunning(const QString &home)
{
    QLockFile lock(InstanceLockPath(home));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return lock.error() == QLockFile::LockFailedError;
    lock.unlock();
    return false;
}

bool Connect(QLocalSocket &socket, const QString &path)
{
    socket.connectToServer(path);
    return socket.waitForConnected(2000);
}

std::optional<QByteArray> ReadReplyLine(QLocalSocket &socket)
{
    for (;;) {
        if (socket.canReadLine())
            return socket.readLine().trimmed();
        if (socket.bytesAvailable() > HandOver::kMaxMessageBytes)
            return std::nullopt;
        if (socket.state() != QLocalSocket::ConnectedState)
            return std::nullopt;
        // The user may take a while in the New Task window: wait in steps.
        socket.waitForReadyRead(1000);
    }
}

} // namespace

// ---- Requests and replies -------------------------------------------------------

QByteArray THandOverRequest::ToLine() const
{
    QJsonObject object;
    if (Kind == TKind::CreateUrl) {
        object.insert(QStringLiteral("command"), QStringLiteral("CreateUrl"));
        object.insert(QStringLiteral("url"), Url);
    } else {
        object.insert(QStringLiteral("command"), QStringLiteral("Show"));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<THandOverRequest> THandOverRequest::FromLine(const QByteArray &line, QString *reason)
{
    const QJsonObject object = ParseObject(line, reason);
    if (!reason->isEmpty())
        return std::nullopt;
    const QString command = object.value(QStringLiteral("command")).toString();
    if (command == QLatin1String("Show"))
        return Show();
    if (command != QLatin1String("CreateUrl")) {
        *reason = QStringLiteral("Unknown request \"%1\".").arg(command);
        return std::nullopt;
    }
    const std::optional<QString> url = CheckHandOverUrl(object.value(QStringLiteral("url")).toString(), reason);
    if (!url)
        return std::nullopt;
    return CreateUrl(*url);
}

QString HandOverResultName(THandOverResult result)
{
    return QString::fromLatin1(kResultNames[static_cast<int>(result)]);
}

QByteArray THandOverReply::ToJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("result"), HandOverResultName(Result));
    object.insert(QStringLiteral("message"), Message);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

THandOverReply THandOverReply::FromJson(const QByteArray &json)
{
    QString reason;
    const QJsonObject object = ParseObject(json, &reason);
    if (!reason.isEmpty())
        return Failure(QStringLiteral("Zavelon answered something unreadable."));
    const QString name = object.value(QStringLiteral("result")).toString();
    for (int i = 0; i < int(std::size(kResultNames)); ++i) {
        if (name == QLatin1String(kResultNames[i]))
            return {static_cast<THandOverResult>(i), object.value(QStringLiteral("message")).toString()};
    }
    return Failure(QStringLiteral("Zavelon answered something unreadable."));
}

std::optional<QString> CheckHandOverUrl(const QString &text, QString *reason)
{
    if (text.isEmpty()) {
        *reason = QStringLiteral("The message names no address.");
        return std::nullopt;
    }
    if (text.toUtf8().size() > HandOver::kMaxUrlBytes) {
        *reason = QStringLiteral("The address is longer than the %1 bytes a task keeps.").arg(HandOver::kMaxUrlBytes);
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            *reason = QStringLiteral("The address contains blanks or control characters.");
            return std::nullopt;
        }
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        *reason = QStringLiteral("Not an http or https address: %1").arg(text);
        return std::nullopt;
    }
    if (url.host().isEmpty()) {
        *reason = QStringLiteral("The address names no host: %1").arg(text);
        return std::nullopt;
    }
    reason->clear();
    return text;
}

// ---- Where the program listens --------------------------------------------------

QString HandOverFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder;
    if (!base.isEmpty() && QFileInfo(base).isAbsolute()) {
        folder = QDir::cleanPath(base) + QStringLiteral("/zavelon");
    } else {
        // Without a runtime folder: a folder of our own in /tmp, which the
        // checks below refuse when someone else made it first.
        folder = QStringLiteral("/tmp/zavelon-%1").arg(::getuid());
    }
    EnsurePrivateFolder(folder);
    return folder;
}

QString HandOverSocketPath(const QString &home)
{
    return HandOverFolder() + QStringLiteral("/home-") + HomeKey(home) + QStringLiteral(".sock");
}

QString InstanceLockPath(const QString &home)
{
    return HandOverFolder() + QStringLiteral("/home-") + HomeKey(home) + QStringLiteral(".lock");
}

// ---- The client -----------------------------------------------------------------

THandOverClient::THandOverClient(const QString &home, const QString &program)
    : m_home(home)
    , m_program(program)
{
}

THandOverReply THandOverClient::Send(const THandOverRequest &request)
{
    QString path;
    try {
        path = HandOverSocketPath(m_home);
    } catch (const EZavelonError &error) {
        return THandOverReply::Failure(error.message());
    }

    QLocalSocket socket;
    if (!Connect(socket, path)) {
        // A program that holds the lock is starting (or ending): wait for it
        // to listen. Otherwise start one when there is one to start.
        qint64 pid = 0;
        if (!InstanceRunning(m_home)) {
            if (m_program.isEmpty())
                return THandOverReply::Failure(QStringLiteral("Zavelon is not running."));
            QProcess process;
            process.setProgram(m_program);
            process.setArguments({QStringLiteral("--home"), m_home});
            // The program must not hold the browser's pipes: what it prints
            // would break the messages, and a browser that reads the host's
            // errors would wait for the program to end.
            process.setStandardInputFile(QProcess::nullDevice());
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            if (!process.startDetached(&pid))
                return THandOverReply::Failure(QStringLiteral("Cannot start Zavelon (%1): %2")
                                                   .arg(m_program, process.errorString()));
        }
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            QThread::msleep(100);
            if (Connect(socket, path))
                break;
            if (!ProcessAlive(pid) && !InstanceRunning(m_home))
                return THandOverReply::Failure(QStringLiteral("Zavelon ended before it could take the address."));
            if (waited.hasExpired(m_startTimeoutMs))
                return THandOverReply::Failure(
                    QStringLiteral("Zavelon did not answer within %1 seconds.").arg(m_startTimeoutMs / 1000));
        }
    }

    socket.write(request.ToLine());
    if (!socket.waitForBytesWritten(5000) && socket.bytesToWrite() > 0)
        return THandOverReply::Failure(QStringLiteral("Cannot hand the address to Zavelon: %1").arg(socket.errorString()));
    const std::optional<QByteArray> line = ReadReplyLine(socket);
    if (!line)
        return THandOverReply::Failure(QStringLiteral("Zavelon ended the hand-over without an answer."));
    return THandOverReply::FromJson(*line);
}
