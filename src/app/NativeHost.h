#pragma once

#include "app/HandOverChannel.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

class QIODevice;

// The native-messaging host of the browser extension. The browser starts it
// and writes messages to its standard input: a 32-bit length in the
// machine's byte order, then that many bytes of UTF-8 JSON. Each message is
// answered by one message of the same form on standard output.
//
//   to the host:   {"url": "https://..."}   (other keys are ignored)
//   to the browser: {"result": "started" | "cancelled" | "refused" | "error",
//                    "message": text}
//
// A message that is empty, longer than HandOver::kMaxMessageBytes, not a JSON
// object, or without an http or https address gets an error answer and is
// not handed on. A longer message is read and dropped in pieces, so the next
// one is still found; input that ends inside a message is answered with an
// error and ends the host.
class TNativeHost
{
public:
    using THandOver = std::function<THandOverReply(const THandOverRequest &request)>;

    TNativeHost(QIODevice &input, QIODevice &output, THandOver handOver);

    // Answers messages until the input ends. 0 when it ended between
    // messages, 1 when it ended inside one or the output failed.
    int Run();

    // The answer to one message's bytes (without the length).
    THandOverReply Answer(const QByteArray &message) const;

private:
    enum class TRead { Complete, Ended };
    TRead ReadExactly(qint64 length, QByteArray *bytes);
    TRead Skip(qint64 length);
    bool Write(const THandOverReply &reply);

    QIODevice &m_input;
    QIODevice &m_output;
    THandOver m_handOver;
};

// Whether the arguments (without the program's name) ask for the host.
bool IsNativeHostStart(const QStringList &arguments);

// `zavelon --native-host [--home DIR] [browser's arguments]`: the host on
// standard input and output, handing addresses to the program of the home
// (started when none runs). Needs no display: it makes a QCoreApplication only.
int RunNativeHostProgram(int argc, char **argv);
