#include "engine/HttpClient.h"

#include "engine/AppInfo.h"
#include "engine/Errors.h"

#include <QIODevice>

#include <curl/curl.h>

#include <cerrno>
#include <chrono>
#include <exception>
#include <vector>

namespace {

// ---- Process-wide share handle: DNS cache and TLS sessions --------------

// Like the share handle, never destroyed.
std::mutex *const g_shareLocks = new std::mutex[CURL_LOCK_DATA_LAST];

void LockShare(CURL *, curl_lock_data data, curl_lock_access, void *)
{
    g_shareLocks[data].lock();
}

void UnlockShare(CURL *, curl_lock_data data, void *)
{
    g_shareLocks[data].unlock();
}

// Made once, never freed: workers that are still unwinding after a stop may
// use it until the very end of the process.
CURLSH *SharedData()
{
    static CURLSH *const share = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        CURLSH *handle = curl_share_init();
        curl_share_setopt(handle, CURLSHOPT_LOCKFUNC, LockShare);
        curl_share_setopt(handle, CURLSHOPT_UNLOCKFUNC, UnlockShare);
        curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        return handle;
    }();
    return share;
}

// ---- Pool of multi handles: each carries its idle connections ------------

class TMultiPool
{
public:
    CURLM *Borrow(const QByteArray &key)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            // Newest first: the handle that last talked to this origin most
            // likely still has a live connection to it.
            for (auto it = m_idle.rbegin(); it != m_idle.rend(); ++it) {
                if (it->key == key) {
                    CURLM *multi = it->multi;
                    m_idle.erase(std::next(it).base());
                    return multi;
                }
            }
            if (m_idle.size() >= kMaxIdle / 2) {
                CURLM *multi = m_idle.front().multi; // least recently used
                m_idle.erase(m_idle.begin());
                return multi;
            }
        }
        CURLM *multi = curl_multi_init();
        curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, 4L);
        return multi;
    }

    void Return(CURLM *multi, const QByteArray &key)
    {
        CURLM *surplus = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_idle.push_back({multi, key});
            if (m_idle.size() > kMaxIdle) {
                surplus = m_idle.front().multi;
                m_idle.erase(m_idle.begin());
            }
        }
        if (surplus)
            curl_multi_cleanup(surplus);
    }

private:
    static constexpr size_t kMaxIdle = 32;
    struct Idle {
        CURLM *multi;
        QByteArray key;
    };
    std::mutex m_lock;
    std::vector<Idle> m_idle;
};

TMultiPool &MultiPool()
{
    static TMultiPool *const pool = new TMultiPool; // never freed, like the share
    return *pool;
}

// The origin a connection serves: scheme, host and port, plus the proxy.
QByteArray OriginKey(const QString &url, const QString &proxy, int proxyPort)
{
    const qsizetype scheme = url.indexOf(QLatin1String("://"));
    const qsizetype start = scheme < 0 ? 0 : scheme + 3;
    const qsizetype slash = url.indexOf(QLatin1Char('/'), start);
    QByteArray key = url.left(slash < 0 ? url.size() : slash).toLower().toUtf8();
    if (!proxy.isEmpty())
        key += " via " + proxy.toLower().toUtf8() + ':' + QByteArray::number(proxyPort);
    return key;
}

struct TTrusted {
    std::mutex lock;
    QByteArray pem;
};

TTrusted &Trusted()
{
    static TTrusted *const trusted = new TTrusted; // never destroyed, as above
    return *trusted;
}

QByteArray TrustedCertificates()
{
    std::lock_guard<std::mutex> guard(Trusted().lock);
    return Trusted().pem;
}

// Bytes libcurl hands over per call: a picture arrives in fewer, larger
// pieces, each one receive and one file write. curl's default is 16 KB.
constexpr long kReceiveBufferSize = 64 * 1024;

// A declined body up to this size is read to its end so that its connection
// stays open for the next request.
constexpr curl_off_t kDrainBytes = 16 * 1024;

QString StatusText(long status)
{
    return QStringLiteral("HTTP status %1").arg(status);
}

// A transport failure in words a user can act on; libcurl's own text in
// brackets where it says more.
QString TransportCause(CURLcode result, long osErrno, const char *errorText)
{
    const QString detail = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    switch (result) {
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ECONNREFUSED)
            return QStringLiteral("connection refused");
        return QStringLiteral("cannot connect (%1)").arg(detail);
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("timed out (%1)").arg(detail);
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("host not found (%1)").arg(detail);
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("proxy not found (%1)").arg(detail);
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("TLS certificate not trusted (%1)").arg(detail);
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("TLS handshake failed (%1)").arg(detail);
    case CURLE_GOT_NOTHING:
        return QStringLiteral("the server closed the connection without an answer");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("connection broken (%1)").arg(detail);
    default:
        return detail;
    }
}

} // namespace

// ---- One transfer ------------------------------------------------------

struct THttpClient::Transfer {
    THttpClient *client = nullptr;
    CURL *easy = nullptr;
    const Sink *sink = nullptr;
    const HeadersCheck *wanted = nullptr;
    qint64 received = 0;
    long badStatus = 0;
    bool statusChecked = false;
    bool abandoned = false;
    bool declined = false;
    bool draining = false; // declined, but the short body is read and dropped
    // What a caller's callback threw: it must not unwind through libcurl, so
    // it is thrown again once the transfer is cleaned up.
    std::exception_ptr callbackFailure;
    std::chrono::steady_clock::time_point lastByte = std::chrono::steady_clock::now();

    // The status is known once the body starts; anything but 2xx ends the
    // transfer before its body is taken.
    bool StatusAccepted()
    {
        if (statusChecked)
            return badStatus == 0 && !declined && !callbackFailure;
        statusChecked = true;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200 || status > 299)
            badStatus = status;
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        client->m_contentLength = length > 0 ? length : 0;
        if (badStatus != 0)
            return false;
        if (wanted) {
            try {
                declined = !(*wanted)(length >= 0 ? qint64(length) : -1);
            } catch (...) {
                callbackFailure = std::current_exception();
            }
            // Ending a transfer early costs its connection; a body this
            // short costs less to read than a new connection would.
            draining = declined && length >= 0 && length <= kDrainBytes;
        }
        return !declined && !callbackFailure;
    }

    static size_t OnHeader(char *, size_t size, size_t count, void *user)
    {
        static_cast<Transfer *>(user)->lastByte = std::chrono::steady_clock::now();
        return size * count;
    }

    static size_t OnBody(char *data, size_t size, size_t count, void *user)
    {
        auto *transfer = static_cast<Transfer *>(user);
        const size_t bytes = size * count;
        THttpClient *client = transfer->client;
        if (client->Cancelled())
            return 0;
        if (!transfer->StatusAccepted()) {
            if (!transfer->draining)
                return 0;
            transfer->lastByte = std::chrono::steady_clock::now();
            return bytes;
        }
        try {
            if (transfer->sink && !(*transfer->sink)(data, qint64(bytes))) {
                transfer->abandoned = true;
                return 0;
            }
        } catch (...) {
            transfer->callbackFailure = std::current_exception();
            return 0;
        }
        transfer->received += qint64(bytes);
        if (client->OnWork)
            client->OnWork(transfer->received);
        transfer->lastByte = std::chrono::steady_clock::now();
        return client->Cancelled() ? 0 : bytes;
    }
};

// ---- THttpClient ---------------------------------------------------------

THttpClient::THttpClient()
{
    SharedData(); // initialises libcurl before any transfer
}

THttpClient::~THttpClient() = default;

QByteArray THttpClient::RequestUrl(const QString &url)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = url.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

QString THttpClient::Origin(const QString &url)
{
    CURLU *parsed = curl_url();
    QString origin;
    if (curl_url_set(parsed, CURLUPART_URL, RequestUrl(url).constData(), CURLU_GUESS_SCHEME) == CURLUE_OK) {
        char *scheme = nullptr;
        char *host = nullptr;
        char *port = nullptr;
        if (curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(parsed, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            origin = QStringLiteral("%1://%2:%3").arg(QString::fromUtf8(scheme), QString::fromUtf8(host),
                                                      QString::fromUtf8(port)).toLower();
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(parsed);
    return origin;
}

void THttpClient::TrustCertificates(const QByteArray &pem)
{
    std::lock_guard<std::mutex> guard(Trusted().lock);
    Trusted().pem = pem;
}

void THttpClient::Cancel()
{
    std::lock_guard<std::mutex> guard(m_multiLock);
    m_cancelled = true;
    if (m_multi)
        curl_multi_wakeup(m_multi);
}

QByteArray THttpClient::Get(const QString &url, qint64 maxBytes)
{
    QByteArray body;
    const Sink sink = [&body, maxBytes](const char *data, qint64 size) {
        if (body.size() + size > maxBytes)
            return false;
        body.append(data, size);
        return true;
    };
    Get(url, sink, QStringLiteral("the response is larger than %1 bytes").arg(maxBytes));
    return body;
}

void THttpClient::Get(const QString &url, const Sink &sink, const QString &abandonReason)
{
    Perform(url, false, &sink, abandonReason);
}

bool THttpClient::Get(const QString &url, const Sink &sink, const QString &abandonReason, const HeadersCheck &wanted)
{
    return Perform(url, false, &sink, abandonReason, &wanted);
}

void THttpClient::Get(const QString &url, QIODevice &file)
{
    const Sink sink = [&file](const char *data, qint64 size) { return file.write(data, size) == size; };
    Get(url, sink, QStringLiteral("cannot write %1").arg(file.objectName()));
}

qint64 THttpClient::Head(const QString &url)
{
    Perform(url, true, nullptr, QString());
    return m_contentLength;
}

void THttpClient::SetRunningMulti(void *multi)
{
    std::lock_guard<std::mutex> guard(m_multiLock);
    m_multi = multi;
    if (multi && m_cancelled)
        curl_multi_wakeup(multi); // a stop that came before the transfer began
}

bool THttpClient::Perform(const QString &url, bool head, const Sink *sink, const QString &abandonReason,
                          const HeadersCheck *wanted)
{
    m_contentLength = 0;
    if (Cancelled())
        throw EHttpError(url, QStringLiteral("stopped"), true);

    const QByteArray target = RequestUrl(url);
    const QByteArray agent = AppInfo::kUserAgent.toUtf8();
    const QByteArray proxy = ProxyServer.isEmpty()
        ? QByteArray()
        : ("http://" + ProxyServer.toUtf8() + ':' + QByteArray::number(ProxyPort));
    const QByteArray proxyUser = ProxyUsername.toUtf8();
    const QByteArray proxyPassword = ProxyPassword.toUtf8();
    const bool login = !Username.isEmpty() && (LoginOrigin.isEmpty() || Origin(url) == LoginOrigin);
    const QByteArray user = login ? Username.toUtf8() : QByteArray();
    const QByteArray password = Password.toUtf8();
    const QByteArray trusted = CaCertificates.isEmpty() ? TrustedCertificates() : CaCertificates;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL *easy = curl_easy_init();
    Transfer transfer;
    transfer.client = this;
    transfer.easy = easy;
    transfer.sink = sink;
    transfer.wanted = wanted;

    curl_easy_setopt(easy, CURLOPT_URL, target.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_SHARE, SharedData());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L); // never wait for a lookup thread
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(ConnectTimeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    if (head)
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    if (!trusted.isEmpty()) {
        curl_blob blob{const_cast<char *>(trusted.constData()), size_t(trusted.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    if (!proxy.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
        if (!proxyUser.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxyUser.constData());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
        }
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, ""); // ignore *_proxy variables: the task decides
    }
    if (!user.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
    }

    const QByteArray key = OriginKey(url, ProxyServer, ProxyPort);
    CURLM *multi = MultiPool().Borrow(key);
    SetRunningMulti(multi);
    curl_multi_add_handle(multi, easy);

    const auto stallLimit = std::chrono::seconds(StallTimeoutSeconds);
    CURLcode result = CURLE_OK;
    bool done = false;
    bool stalled = false;
    while (!done && !Cancelled()) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || Cancelled())
            break;
        if (std::chrono::steady_clock::now() - transfer.lastByte > stallLimit) {
            stalled = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }

    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    long osErrno = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
    if (done && result == CURLE_OK) {
        // An empty body gave no chance to look at the headers before.
        if (!head && !transfer.statusChecked && !Cancelled())
            transfer.StatusAccepted();
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        m_contentLength = length > 0 ? length : 0;
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    SetRunningMulti(nullptr);
    MultiPool().Return(multi, key);

    if (Cancelled())
        throw EHttpError(url, QStringLiteral("stopped"), true);
    if (stalled)
        throw EHttpError(url, QStringLiteral("timed out (no data received for %1 seconds)").arg(StallTimeoutSeconds));
    if (transfer.badStatus != 0)
        throw EHttpError(url, StatusText(transfer.badStatus));
    if (transfer.callbackFailure)
        std::rethrow_exception(transfer.callbackFailure);
    if (transfer.declined)
        return false;
    if (transfer.abandoned)
        throw EHttpError(url, abandonReason);
    if (result != CURLE_OK)
        throw EHttpError(url, TransportCause(result, osErrno, errorText));
    if (status < 200 || status > 299)
        throw EHttpError(url, StatusText(status));
    return true;
}
