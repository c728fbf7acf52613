#pragma once

#include <QByteArray>
#include <QString>

#include <httplib.h>

#include <memory>
#include <thread>

// An HTTP or HTTPS server on 127.0.0.1 on a free port, serving on its own
// threads; register routes on Http() before the first request. The TLS server
// uses a self-signed certificate for 127.0.0.1 made at run time; clients trust
// it through CertificatePem().
class TLocalServer
{
public:
    enum Kind { Plain, Tls };

    explicit TLocalServer(Kind kind = Plain);
    ~TLocalServer();
    TLocalServer(const TLocalServer &) = delete;
    TLocalServer &operator=(const TLocalServer &) = delete;

    httplib::Server &Http() { return *m_server; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path (https for the TLS server).
    QString Url(const QString &path = QString()) const;
    QByteArray CertificatePem() const { return m_certificatePem; }

    // Ends serving; waits for the handlers that still run.
    void Stop();

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    bool m_tls = false;
    QByteArray m_certificatePem;
};

// A port on 127.0.0.1 that accepts connections into its backlog and never
// answers: every request to it stalls until the client gives up.
class TSilentPort
{
public:
    TSilentPort();
    ~TSilentPort();
    int Port() const { return m_port; }
    QString Url(const QString &path = QString()) const;

private:
    int m_socket = -1;
    int m_port = 0;
};

// A port on 127.0.0.1 where nothing listens: connections are refused.
int ClosedPort();
