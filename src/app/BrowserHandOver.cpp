#include "app/BrowserHandOver.h"

#include "app/MainForm.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/Errors.h"
#include "engine/Task.h"
#include "widgets/ErrorReport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QTimer>

namespace {

// The error messages the window shows while a hand-over runs: still shown
// to the user as always, and kept as the reason to send back (for example
// "Run"'s refusal while three tasks run).
class TErrorCapture
{
public:
    TErrorCapture()
    {
        m_previous = SetErrorReporter([self = this](QWidget *owner, const QString &text) {
            TErrorCapture *capture = self;
            capture->Record(owner, text);
        });
    }
    ~TErrorCapture() { SetErrorReporter(std::move(m_previous)); }

    QStringList Texts;

private:
    void Record(QWidget *owner, const QString &text)
    {
        Texts.append(text);
        if (m_previous)
            m_previous(owner, text);
        else
            QMessageBox::critical(owner, QStringLiteral("Error"), text);
    }

    TErrorReporter m_previous;
};

// Whether "New" made a task: a task node other than the one before is
// selected afterwards, or the same node now stands for another task (a
// file of the same name replaced).
class TNewTaskWatch
{
public:
    explicit TNewTaskWatch(TMainForm &form)
        : m_form(form)
        , m_pathBefore(TTaskTreeModel::NodePath(form.TreePanel()->Current()))
        , m_taskBefore(form.TreeCommands()->SelectedTask(false))
    {
    }

    bool TaskMade() const
    {
        const QModelIndex now = m_form.TreePanel()->Current();
        if (!TTaskTreeModel::IsTaskNode(now))
            return false;
        const TTask *task = m_form.TreeCommands()->SelectedTask(false);
        return task && (TTaskTreeModel::NodePath(now) != m_pathBefore || task != m_taskBefore);
    }

private:
    TMainForm &m_form;
    QString m_pathBefore;
    const TTask *m_taskBefore;
};

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromLocal8Bit(error.what());
}

// Sets the window's hand-over flag for the length of a hand-over: cleared
// again however the hand-over ends.
class TFromBrowserScope
{
public:
    explicit TFromBrowserScope(TMainForm &form)
        : m_form(form)
    {
        m_form.SetFromBrowser(true);
    }
    ~TFromBrowserScope() { m_form.SetFromBrowser(false); }

private:
    TMainForm &m_form;
};

} // namespace

TBrowserHandOver::TBrowserHandOver(TMainForm &form, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(200);
    connect(m_retry, &QTimer::timeout, this, &TBrowserHandOver::PerformNext);
}

TBrowserHandOver::~TBrowserHandOver()
{
    if (m_server)
        m_server->close();
}

// ---- The socket ----------------------------------------------------------------

void TBrowserHandOver::Listen(const QString &home)
{
    const QString path = HandOverSocketPath(home);
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the home's lock: a socket file here is a dead
    // program's.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path))
        throw EZavelonError(QStringLiteral("Cannot listen on \"%1\": %2").arg(path, m_server->errorString()));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    connect(m_server, &QLocalServer::newConnection, this, &TBrowserHandOver::AcceptConnections);
}

QString TBrowserHandOver::SocketPath() const
{
    return m_server ? m_server->fullServerName() : QString();
}

void TBrowserHandOver::AcceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequests(socket); });
        ReadRequests(socket);
    }
}

void TBrowserHandOver::ReadRequests(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        QString reason;
        const std::optional<THandOverRequest> request = THandOverRequest::FromLine(line, &reason);
        if (!request) {
            Answer(socket, THandOverReply::Failure(reason));
            continue;
        }
        QPointer<QLocalSocket> connection(socket);
        Post(*request, [this, connection](const THandOverReply &reply) { Answer(connection, reply); });
    }
    if (socket->bytesAvailable() > HandOver::kMaxMessageBytes) {
        // No line end in sight: the sender is not one of ours.
        Answer(socket, THandOverReply::Failure(
                           QStringLiteral("The request is longer than %1 bytes.").arg(HandOver::kMaxMessageBytes)));
        socket->disconnectFromServer();
    }
}

void TBrowserHandOver::Answer(QLocalSocket *socket, const THandOverReply &reply)
{
    // The sender may have gone (a browser closed meanwhile): the request was
    // performed all the same.
    if (!socket || socket->state() != QLocalSocket::ConnectedState)
        return;
    socket->write(reply.ToJson() + '\n');
    socket->flush();
}

// ---- Requests in line ------------------------------------------------------------

void TBrowserHandOver::Post(const THandOverRequest &request, TDone done)
{
    m_pending.push_back({request, std::move(done)});
    // Not inside the caller (a socket's signal): the New Task window runs
    // its own event loop.
    QTimer::singleShot(0, this, &TBrowserHandOver::PerformNext);
}

void TBrowserHandOver::PerformNext()
{
    if (m_busy || m_pending.empty())
        return;
    if (QApplication::activeModalWidget()) {
        // The user has a window open (a task's properties, a question about
        // a task): a new task selected under it would be the one that window
        // then saves or deletes. The request waits until it is closed.
        m_retry->start();
        return;
    }
    m_busy = true;
    TPending pending = std::move(m_pending.front());
    m_pending.pop_front();
    const THandOverReply reply = Perform(pending.Request);
    if (pending.Done)
        pending.Done(reply);
    m_busy = false;
    emit Performed(reply);
    if (!m_pending.empty())
        QTimer::singleShot(0, this, &TBrowserHandOver::PerformNext);
}

THandOverReply TBrowserHandOver::Perform(const THandOverRequest &request)
{
    if (request.Kind == THandOverRequest::TKind::CreateUrl)
        return CreateUrl(m_form, request.Url);
    m_form.ShowMainFormActionExecute();
    return {THandOverResult::Shown, QStringLiteral("The Zavelon window is shown.")};
}

// ---- The sequence -----------------------------------------------------------------

THandOverReply TBrowserHandOver::CreateUrl(TMainForm &form, const QString &url)
{
    TErrorCapture errors;
    TFromBrowserScope fromBrowser(form);
    try {
        // Out of the tray and to the front: the New Task window opens over it.
        form.ShowMainFormActionExecute();
        form.SetBrowserUrl(url);
        TNewTaskWatch watch(form);
        ExecuteAction(form.Action(TCommandId::TasksNew));
        // A cancelled window makes no task, and then nothing runs: another
        // task that happens to be selected was not asked for.
        if (!watch.TaskMade()) {
            if (!errors.Texts.isEmpty())
                return THandOverReply::Failure(errors.Texts.last());
            return {THandOverResult::Cancelled, QStringLiteral("No task was made.")};
        }
        ExecuteAction(form.Action(TCommandId::TasksRun));
        const TTask *task = form.TreeCommands()->SelectedTask(false);
        if (task && !task->Stopped())
            return {THandOverResult::Started, QStringLiteral("The task \"%1\" runs.").arg(task->Name())};
        return {THandOverResult::Refused,
                errors.Texts.isEmpty() ? QStringLiteral("The task was made but not started.") : errors.Texts.last()};
    } catch (const std::exception &error) {
        return THandOverReply::Failure(ErrorText(error));
    }
}
