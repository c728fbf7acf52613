#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How an address reaches the running desktop program: the browser's
// messaging host and a second start of `zavelon` both connect to a local
// socket that the running program of the same user and home listens on, send
// one request per line (compact JSON) and read one reply line for it.
//
// Only Qt Core and Qt Network are used here: the messaging host runs this
// code without a display.

namespace HandOver {

// The longest address a task keeps: its project file holds the start URL in
// a 1024-byte slot ended by a NUL.
inline constexpr int kMaxUrlBytes = 1023;
// The longest request line or message accepted, in bytes: 1 MiB, the bound
// that Chromium sets on the messages of a host to the browser. Addresses are
// far shorter; anything longer is refused without being kept in memory.
inline constexpr qint64 kMaxMessageBytes = 1024 * 1024;
// How long a caller that had to start the program waits for it to listen.
inline constexpr int kStartTimeoutMs = 30000;

} // namespace HandOver

// What the sender asks of the running program.
struct THandOverRequest {
    enum class TKind { CreateUrl, Show };
    TKind Kind = TKind::Show;
    QString Url; // CreateUrl only

    static THandOverRequest CreateUrl(const QString &url) { return {TKind::CreateUrl, url}; }
    static THandOverRequest Show() { return {TKind::Show, {}}; }

    QByteArray ToLine() const;
    // The request of one line; nothing, with the reason, for a line that is
    // not one (not JSON, an unknown command, a bad address).
    static std::optional<THandOverRequest> FromLine(const QByteArray &line, QString *reason);
};

// What came of a request.
enum class THandOverResult {
    Started,   // the task was made and its run started
    Cancelled, // the New Task window was cancelled: nothing was made
    Refused,   // the task was made but not started; the message says why
    Shown,     // the window was shown (a start without an address)
    Error,     // nothing was done; the message says why
};

struct THandOverReply {
    THandOverResult Result = THandOverResult::Error;
    QString Message;

    static THandOverReply Failure(const QString &message) { return {THandOverResult::Error, message}; }

    // {"result": "started" | "cancelled" | "refused" | "shown" | "error",
    //  "message": text}
    QByteArray ToJson() const;
    // The reply of a JSON object; an error reply for anything else.
    static THandOverReply FromJson(const QByteArray &json);
    bool Succeeded() const { return Result == THandOverResult::Started || Result == THandOverResult::Shown; }
};

QString HandOverResultName(THandOverResult result);

// The address as a task may start from it: an absolute http or https URL
// with a host, without blanks or control characters, of at most
// HandOver::kMaxUrlBytes bytes. Nothing, with the reason, otherwise.
std::optional<QString> CheckHandOverUrl(const QString &text, QString *reason);

// The per-user folder of the sockets and locks: $XDG_RUNTIME_DIR/zavelon,
// else /tmp/zavelon-UID; made with mode 0700 when missing. Raises
// EZavelonError when it cannot be made, or when it is not a folder owned by
// this user and closed to everyone else (it is never loosened or taken over).
QString HandOverFolder();
// The socket of the program of `home` (one per user and home).
QString HandOverSocketPath(const QString &home);
// The lock that the program of `home` holds while it runs.
QString InstanceLockPath(const QString &home);

// Sends one request to the running program of `home` and waits for its
// reply (as long as the user takes to answer the New Task window). A
// program that is still starting is waited for; when none runs and `program`
// is not empty, `program --home HOME` is started. Either wait lasts at most
// HandOver::kStartTimeoutMs. Failures come back as error replies.
class THandOverClient
{
public:
    THandOverClient(const QString &home, const QString &program);

    THandOverReply Send(const THandOverRequest &request);

    void SetStartTimeout(int ms) { m_startTimeoutMs = ms; }

private:
    QString m_home;
    QString m_program;
    int m_startTimeoutMs = HandOver::kStartTimeoutMs;
};
