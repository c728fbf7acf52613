// zavelon-cli run: runs a task to its end without a display.
#include "cli/Command.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TaskViews.h"
#include "images/ImageLibrary.h"
#include "session/DownloadSession.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// ---- Signals: the handler only writes the signal's number to a pipe --------

int g_signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &number, 1);
    errno = saved;
}

// Routes SIGINT and SIGTERM into the event loop for as long as it lives.
class TStopSignals
{
public:
    explicit TStopSignals(std::function<void(int signal)> onSignal)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
            throw std::runtime_error("cannot set up the signal handling");
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [onSignal = std::move(onSignal)] {
            char number = 0;
            if (::read(g_signalPipe[0], &number, 1) == 1)
                onSignal(number);
        });
        struct sigaction action = {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }

    ~TStopSignals()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

// ---- The views of a headless run -------------------------------------------

// The live progress line on stderr (a terminal only): items done of items
// found, running workers, bytes saved. Log lines on stdout clear it first
// and it is drawn again after them.
class TProgressLine
{
public:
    explicit TProgressLine(bool enabled)
        : m_enabled(enabled)
    {
    }

    bool Enabled() const { return m_enabled; }

    void Draw(const TTask &task, qint64 savedBytes)
    {
        if (!m_enabled)
            return;
        const QString text = QStringLiteral("%1/%2 done, %3 running, %4 KB saved")
                                 .arg(task.DoneCount())
                                 .arg(task.Items().Count())
                                 .arg(task.RunningCount())
                                 .arg(savedBytes / 1024);
        PrintErr("\r\033[K" + text.toUtf8());
        m_drawn = true;
    }

    void Clear()
    {
        if (m_drawn)
            PrintErr("\r\033[K");
        m_drawn = false;
    }

private:
    bool m_enabled;
    bool m_drawn = false;
};

class TConsoleLog : public TLogView
{
public:
    explicit TConsoleLog(TProgressLine &progress)
        : m_progress(progress)
    {
    }

    void AppendLogLine(const QString &line, TLogKind) override
    {
        m_progress.Clear();
        PrintOut(line.toUtf8() + '\n');
    }

private:
    TProgressLine &m_progress;
};

// Rows are not drawn; the run only needs to know what was saved.
class TSavedPictures : public TPicturesView
{
public:
    void AddPictureRow(const TPictureRow &row) override { Bytes += row.Size; }
    qint64 Bytes = 0;
};

class TNoFilesView : public TFilesView
{
public:
    void AddItemRow(TTaskItem *, const TFileRow &) override {}
    void RemoveItemRow(TTaskItem *) override {}
    void SetRowRunning(TTaskItem *, bool) override {}
    void UpdateProgressRow(TTaskItem *, qint64, qint64) override {}
};

int ExitCodeOf(int signal)
{
    return signal == SIGTERM ? kExitSigTerm : kExitSigInt;
}

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromUtf8(error.what());
}

int Run(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool quiet = TakeFlag(args, QStringLiteral("--quiet"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        throw UsageError("run needs exactly one project file");

    // The task first: a file that cannot be read ends the command before
    // the library is touched.
    auto loaded = std::make_unique<TTask>();
    loaded->LoadFromFile(args.first());

    TProgressLine progress(!quiet && ::isatty(STDERR_FILENO));
    TConsoleLog log(progress);
    TSavedPictures pictures;
    TNoFilesView files;
    TDownloadSession session(ImageLibraryFileName(ProgramHome()));
    if (!session.LibraryStartupError().isEmpty())
        PrintErr("zavelon-cli: " + session.LibraryStartupError().toUtf8() + '\n');
    session.SetViews(&files, &log, &pictures);
    TTask *task = session.AddTask(std::move(loaded));
    // Rows and progress are only worth their main-thread calls while a
    // progress line shows them.
    task->SetShown(progress.Enabled());

    int exitCode = kExitOk;
    QString failure;
    QObject::connect(&session, &TDownloadSession::TaskFinished, [] { QCoreApplication::exit(kExitOk); });
    QObject::connect(&session, &TDownloadSession::Error, [&](const QString &text) {
        if (failure.isEmpty())
            failure = text;
    });
    TStopSignals stopSignals([&](int signal) {
        if (task->Stopped() && exitCode != kExitOk)
            return;
        exitCode = ExitCodeOf(signal);
        try {
            session.StopTask(task);
        } catch (const std::exception &error) {
            if (failure.isEmpty())
                failure = ErrorText(error);
        }
        QCoreApplication::exit(exitCode);
    });
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] { progress.Draw(*task, pictures.Bytes); });
    if (progress.Enabled())
        redraw.start(250);

    QTimer::singleShot(0, [&] { session.RunTask(task); });
    const int loopResult = QCoreApplication::exec();
    if (exitCode == kExitOk)
        exitCode = loopResult;
    redraw.stop();
    progress.Draw(*task, pictures.Bytes);
    progress.Clear();

    // Like the desktop program at its end, except that a run that ends must
    // not drop a picture still being measured: every saved picture is
    // recorded before the library is written.
    try {
        session.ShutDown(TDownloadSession::TPendingPictures::Wait);
    } catch (const std::exception &error) {
        if (failure.isEmpty())
            failure = ErrorText(error);
    }
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    return exitCode;
}

const CommandRegistrar kRun{{{QStringLiteral("run")}, QStringLiteral("run FILE.wrp [--quiet]"), Run}};

} // namespace
