#pragma once

#include "engine/Errors.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

class QIODevice;

// A failed request: the message names the URL and the cause ("URL: cause");
// Cause() is the cause alone, in words a user can act on: "HTTP status 404",
// "connection refused", "timed out", "TLS certificate not trusted (...)",
// "host not found", ... Stopped() tells a failure that a Cancel() caused.
class EHttpError : public EZavelonError
{
public:
    EHttpError(const QString &url, const QString &cause, bool stopped = false)
        : EZavelonError(url + QStringLiteral(": ") + cause)
        , m_cause(cause)
        , m_stopped(stopped)
    {
    }

    const QString &Cause() const { return m_cause; }
    bool Stopped() const { return m_stopped; }

private:
    QString m_cause;
    bool m_stopped;
};

// The HTTP client of a download worker: GET into memory or into a file as the
// bytes arrive, HEAD for the announced length, an HTTP proxy with basic proxy
// authentication and basic authentication toward the site. Every failure is
// an EHttpError whose message names the URL and its cause: a connection
// failure, a stalled transfer, an untrusted certificate, and every status
// that is not 2xx (redirections are not followed, so they fail too). http
// and https only; certificates are checked.
//
// Connection reuse: a crawl makes thousands of requests to a few hosts, so
// connections are kept open and reused across workers. Every transfer runs
// on a multi handle borrowed from a process-wide pool, preferring one that
// last talked to the same host; its idle connections come with it. DNS
// results and TLS sessions live in one share handle with locks. libcurl's
// shared connection cache is deliberately not used: it is documented as not
// safe when the sharing handles run on concurrent threads.
//
// Stopping: Cancel() may be called from any thread at any moment. It wakes the
// multi handle that drives the running transfer (curl_multi_wakeup), so the
// transfer ends at once in every phase (name lookup, connect, TLS, waiting,
// receiving); this and every later request then fail with Cancelled() true.
//
// One client is used by one thread at a time; only Cancel() is thread-safe.
class THttpClient
{
public:
    // A page larger than this is a failed fetch: a hostile server must not be
    // able to exhaust memory.
    static constexpr qint64 kMaxPageBytes = qint64(32) * 1024 * 1024;

    // Receives the body as it arrives; returning false abandons the transfer
    // (it then fails with the message `abandonReason`).
    using Sink = std::function<bool(const char *data, qint64 size)>;
    // Decides, once a 2xx response's headers are in and before the first body
    // byte reaches the sink, whether the body is wanted at all, from the
    // length the response announces (-1 when it announces none). Runs once
    // per successful response, also for an empty body.
    using HeadersCheck = std::function<bool(qint64 announced)>;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient &) = delete;
    THttpClient &operator=(const THttpClient &) = delete;

    // Proxy: requests go through ProxyServer:ProxyPort when ProxyServer is not
    // empty, with "Proxy-Authorization: Basic" when ProxyUsername is not empty.
    QString ProxyServer;
    int ProxyPort = 0;
    QString ProxyUsername;
    QString ProxyPassword;
    // Site login: "Authorization: Basic" when Username is set, on requests
    // to LoginOrigin only (see Origin) when that is set, else on every request.
    // A task's login belongs to its own site: pictures on other hosts or
    // ports must never see it.
    QString Username;
    QString Password;
    QString LoginOrigin;
    // A connection not made within this time fails; so does a transfer that
    // receives no byte for StallTimeoutSeconds.
    int ConnectTimeoutSeconds = 30;
    int StallTimeoutSeconds = 60;
    // Trusted certificates (PEM) instead of the system's, for a private CA;
    // empty: the process-wide ones (see TrustCertificates), else the system's.
    QByteArray CaCertificates;
    // The certificates every client trusts when it names none of its own
    // (for sites signed by a private CA); empty restores the system's.
    static void TrustCertificates(const QByteArray &pem);

    // Called on the client's thread whenever body bytes have arrived, with the
    // number received so far in the current transfer.
    std::function<void(qint64 received)> OnWork;

    // The body of `url`; longer than `maxBytes` fails.
    QByteArray Get(const QString &url, qint64 maxBytes = kMaxPageBytes);
    // Hands the body of `url` to `sink` as it arrives.
    void Get(const QString &url, const Sink &sink, const QString &abandonReason = QString());
    // The same, but `wanted` decides from the response's headers whether the
    // body is taken; false from it ends the transfer at once, closing its
    // connection (a body of at most 16 KB is read and dropped instead, which
    // keeps the connection), and the call returns false without failing.
    // True when the body was taken whole.
    bool Get(const QString &url, const Sink &sink, const QString &abandonReason, const HeadersCheck &wanted);
    // Writes the body of `url` into the open `file` as it arrives.
    void Get(const QString &url, QIODevice &file);
    // Sends HEAD and returns the response's Content-Length (0 when absent).
    qint64 Head(const QString &url);

    // Content-Length of the current (or last) response; 0 when it has none.
    qint64 ContentLength() const { return m_contentLength; }

    // Ends the running transfer at once and fails every later one.
    void Cancel();
    bool Cancelled() const { return m_cancelled.load(); }

    // The request target libcurl gets: bytes curl refuses in a URL (controls,
    // spaces, non-ASCII) percent-encoded; everything else as written.
    static QByteArray RequestUrl(const QString &url);
    // The origin libcurl connects to for `url`: "scheme://host:port" in lower
    // case, the scheme's default port filled in; empty when libcurl cannot
    // parse the URL.
    static QString Origin(const QString &url);

private:
    struct Transfer;

    // False when `wanted` declined the body.
    bool Perform(const QString &url, bool head, const Sink *sink, const QString &abandonReason,
                 const HeadersCheck *wanted = nullptr);
    // Publishes the multi handle that drives the running transfer (or none)
    // to Cancel().
    void SetRunningMulti(void *multi);

    std::atomic<bool> m_cancelled{false};
    std::mutex m_multiLock; // guards m_multi against Cancel() from another thread
    void *m_multi = nullptr; // the borrowed multi handle of the running transfer
    qint64 m_contentLength = 0;
};
