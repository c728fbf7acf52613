#pragma once

#include "app/HandOverChannel.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>

class QLocalServer;
class QTimer;
class QLocalSocket;
class TMainForm;

// The running program's side of the hand-over: it listens on the socket of
// its user and home, and performs each request on the main window, one after
// another: an address opens "New Task" with it and runs the new task
// (`CreateUrl`), an empty request shows the window. Each reply goes back on
// the connection it came from.
//
// Requests wait in line while one is in progress (its New Task window is
// open), so two addresses never share one window or one "Run".
class TBrowserHandOver : public QObject
{
    Q_OBJECT

public:
    using TDone = std::function<void(const THandOverReply &reply)>;

    explicit TBrowserHandOver(TMainForm &form, QObject *parent = nullptr);
    ~TBrowserHandOver() override;

    // Listens on the socket of `home` (owner-only: mode 0600 in a 0700
    // folder). The caller holds the home's instance lock, so a socket left
    // there is a dead program's and is replaced. Raises EZavelonError with
    // the reason when it cannot listen.
    void Listen(const QString &home);
    QString SocketPath() const;

    // Queues a request from this process (the address of the command line);
    // `done` receives the reply.
    void Post(const THandOverRequest &request, TDone done = {});

    // The hand-over sequence on the main window: "New" opens with the
    // address (no clipboard pick-up) and "Run" starts the new task.
    static THandOverReply CreateUrl(TMainForm &form, const QString &url);

signals:
    // A request has been performed (after its reply was sent).
    void Performed(const THandOverReply &reply);

private:
    struct TPending {
        THandOverRequest Request;
        TDone Done;
    };

    void AcceptConnections();
    void ReadRequests(QLocalSocket *socket);
    void Answer(QLocalSocket *socket, const THandOverReply &reply);
    void PerformNext();
    THandOverReply Perform(const THandOverRequest &request);

    TMainForm &m_form;
    QLocalServer *m_server = nullptr;
    std::deque<TPending> m_pending;
    bool m_busy = false;
    // Looks again while a window of the user's is open.
    QTimer *m_retry = nullptr;
};
