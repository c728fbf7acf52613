#pragma once

#include "engine/LocalServer.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>

// A small web site on 127.0.0.1 for worker tests. Resources are keyed by
// the request target as sent ("/a.jpg", "/l.php?p=2"); an unknown target
// answers 404. Every request is recorded as "GET /a.jpg" or "HEAD /a.jpg".
class TTestSite
{
public:
    TTestSite();
    // Releases every held body, then stops the server.
    ~TTestSite();

    QString Url(const QString &target = QString()) const { return m_server.Url(target); }
    int Port() const { return m_server.Port(); }
    QByteArray CertificatePem() const { return m_server.CertificatePem(); }

    // A page (text/html).
    void Page(const QString &target, const QByteArray &html);
    // A file; without `announceLength` it is sent chunked, with no length.
    void File(const QString &target, const QByteArray &body, bool announceLength = true);
    // A response of `status` (with Location: `location` when given).
    void Status(const QString &target, int status, const QString &location = QString());
    // HEAD announces `announced` bytes while GET sends `body`.
    void Lying(const QString &target, qint64 announced, const QByteArray &body);
    // A file whose body stops after `first` bytes until Release(target).
    void Held(const QString &target, const QByteArray &body, qint64 first);
    void Release(const QString &target);
    // Calls `hook` (on a server thread) when a GET for `target` arrives,
    // before anything is answered.
    void OnRequest(const QString &target, std::function<void()> hook);

    // Every request must carry `header` with `value`; others get `status`.
    void Require(const QString &header, const QString &value, int status);

    QStringList Requests() const;
    // The Authorization header of the last request for `target` (empty when
    // it had none, or when no request came).
    QString AuthorizationOf(const QString &target) const;
    // Requests whose target equals `target`.
    int RequestCount(const QString &target) const;

protected:
    explicit TTestSite(TLocalServer::Kind kind);

private:
    struct Resource {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/octet-stream";
        QString location;
        bool announceLength = true;
        qint64 announced = -1; // HEAD length when it differs from the body
        qint64 heldAt = -1;
        bool released = true;
        std::function<void()> hook;
    };

    void Serve(const httplib::Request &request, httplib::Response &response);
    void Add(const QString &target, Resource resource);

    TLocalServer m_server;
    mutable std::mutex m_lock;
    std::condition_variable m_released;
    bool m_closing = false;
    QMap<QString, Resource> m_resources;
    std::string m_requiredHeader;
    std::string m_requiredValue;
    int m_refusal = 0;
    QStringList m_requests;
    QMap<QString, QString> m_authorizations;
};

// The same over TLS, with a certificate for 127.0.0.1 made at run time.
class TTlsTestSite : public TTestSite
{
public:
    TTlsTestSite()
        : TTestSite(TLocalServer::Tls)
    {
    }
};
