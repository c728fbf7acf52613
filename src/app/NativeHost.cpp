#include "app/NativeHost.h"

#include "app/Startup.h"
#include "engine/ProgramHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Keeps an answer well inside the browser's bound on a host's messages.
constexpr qsizetype kMaxAnswerMessageChars = 4096;
constexpr qint64 kSkipPiece = 64 * 1024;

} // namespace

TNativeHost::TNativeHost(QIODevice &input, QIODevice &output, THandOver handOver)
    : m_input(input)
    , m_output(output)
    , m_handOver(std::move(handOver))
{
}

int TNativeHost::Run()
{
    for (;;) {
        QByteArray header;
        switch (ReadExactly(sizeof(std::uint32_t), &header)) {
        case TRead::Complete:
            break;
        case TRead::Ended:
            if (header.isEmpty())
                return 0;
            Write(THandOverReply::Failure(QStringLiteral("The message length is cut short.")));
            return 1;
        }
        std::uint32_t length = 0;
        std::memcpy(&length, header.constData(), sizeof length);

        THandOverReply reply;
        bool ended = false;
        if (length == 0) {
            reply = THandOverReply::Failure(QStringLiteral("The message is empty."));
        } else if (length > HandOver::kMaxMessageBytes) {
            reply = THandOverReply::Failure(
                QStringLiteral("The message is longer than %1 bytes.").arg(HandOver::kMaxMessageBytes));
            ended = Skip(length) != TRead::Complete;
        } else {
            QByteArray message;
            switch (ReadExactly(length, &message)) {
            case TRead::Complete:
                reply = Answer(message);
                break;
            case TRead::Ended:
                reply = THandOverReply::Failure(QStringLiteral("The message ended before its announced length."));
                ended = true;
                break;
            }
        }
        if (!Write(reply))
            return 1;
        if (ended)
            return 1;
    }
}

THandOverReply TNativeHost::Answer(const QByteArray &message) const
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError)
        return THandOverReply::Failure(QStringLiteral("The message is not JSON: %1.").arg(error.errorString()));
    if (!document.isObject())
        return THandOverReply::Failure(QStringLiteral("The message is not a JSON object."));
    const QJsonValue url = document.object().value(QStringLiteral("url"));
    if (!url.isString())
        return THandOverReply::Failure(QStringLiteral("The message names no address."));
    QString reason;
    const std::optional<QString> checked = CheckHandOverUrl(url.toString(), &reason);
    if (!checked)
        return THandOverReply::Failure(reason);
    return m_handOver(THandOverRequest::CreateUrl(*checked));
}

TNativeHost::TRead TNativeHost::ReadExactly(qint64 length, QByteArray *bytes)
{
    bytes->clear();
    bytes->reserve(length);
    while (bytes->size() < length) {
        const QByteArray piece = m_input.read(length - bytes->size());
        if (piece.isEmpty()) {
            // A device that can wait (a pipe, a socket) is given the chance.
            if (m_input.isSequential() && m_input.waitForReadyRead(-1))
                continue;
            return TRead::Ended;
        }
        bytes->append(piece);
    }
    return TRead::Complete;
}

TNativeHost::TRead TNativeHost::Skip(qint64 length)
{
    QByteArray piece;
    while (length > 0) {
        const qint64 step = qMin(length, kSkipPiece);
        if (ReadExactly(step, &piece) != TRead::Complete)
            return TRead::Ended;
        length -= step;
    }
    return TRead::Complete;
}

bool TNativeHost::Write(const THandOverReply &reply)
{
    THandOverReply bounded = reply;
    if (bounded.Message.size() > kMaxAnswerMessageChars)
        bounded.Message = bounded.Message.left(kMaxAnswerMessageChars);
    const QByteArray json = bounded.ToJson();
    const std::uint32_t length = static_cast<std::uint32_t>(json.size());
    QByteArray frame(reinterpret_cast<const char *>(&length), sizeof length);
    frame += json;
    qint64 written = 0;
    while (written < frame.size()) {
        const qint64 step = m_output.write(frame.constData() + written, frame.size() - written);
        if (step <= 0)
            return false;
        written += step;
    }
    // The browser reads the answer as soon as it is there.
    if (auto *file = qobject_cast<QFile *>(&m_output))
        return file->flush();
    return true;
}

bool IsNativeHostStart(const QStringList &arguments)
{
    return arguments.contains(QLatin1String("--native-host"));
}

int RunNativeHostProgram(int argc, char **argv)
{
    // A browser that has gone away must not kill the host mid-answer; the
    // failed write ends it instead.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Zavelon"));
    const QString home = ResolveProgramHome(HomeArgument(QCoreApplication::arguments()));

    QFile input;
    QFile output;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)
        || !output.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
        std::fprintf(stderr, "zavelon --native-host: cannot open the standard streams\n");
        return 1;
    }
    THandOverClient client(home, QCoreApplication::applicationFilePath());
    TNativeHost host(input, output, [&](const THandOverRequest &request) {
        if (home.isEmpty())
            return THandOverReply::Failure(QStringLiteral("Zavelon cannot create its home folder."));
        return client.Send(request);
    });
    return host.Run();
}
