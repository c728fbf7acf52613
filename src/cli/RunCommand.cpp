// zavelon-cli run: runs a task to its end without a display.
#include "cli/Command.h"
#include "engine/AsciiText.h"
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

// A run stopped because stdout went away: 128 + SIGPIPE, as a shell reports a
// program that the signal ended.
constexpr int kExitBrokenPipe = 128 + SIGPIPE;

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

// Log lines on stdout. When stdout goes away (a broken pipe) the run is
// told once and nothing more is written.
class TConsoleLog : public TLogView
{
public:
    TConsoleLog(TProgressLine &progress, std::function<void()> onBrokenPipe)
        : m_progress(progress)
        , m_onBrokenPipe(std::move(onBrokenPipe))
    {
    }

    void AppendLogLine(const QString &line, TLogKind) override
    {
        if (m_broken)
            return;
        m_progress.Clear();
        if (!PrintOut(line.toUtf8() + '\n')) {
            m_broken = true;
            m_onBrokenPipe();
        }
    }

private:
    TProgressLine &m_progress;
    std::function<void()> m_onBrokenPipe;
    bool m_broken = false;
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

// The last line on stderr: what the run saved and what it could not, and
// why it failed when it did.
QString Summary(const TRunCounts &counts)
{
    QString text = QStringLiteral("%1 picture(s) saved, %2 failed").arg(counts.PicturesSaved).arg(counts.PicturesFailed);
    if (counts.PagesFailed > 0)
        text += QStringLiteral(", %1 page(s) failed").arg(counts.PagesFailed);
    if (counts.LocalFailures > 0)
        text += QStringLiteral("; %1 file(s) could not be written here, the first: %2")
                    .arg(counts.LocalFailures)
                    .arg(counts.FirstLocalFailure);
    if (!counts.StartFailure.isEmpty())
        text += QStringLiteral("; the start address could not be fetched: %1").arg(counts.StartFailure);
    return text;
}

bool RunFailed(const TRunCounts &counts)
{
    return counts.LocalFailures > 0 || !counts.StartFailure.isEmpty();
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

    // A stop by signal or by a broken pipe: the exit code it gives.
    int stopCode = kExitOk;
    std::function<void(int code)> stop;
    TProgressLine progress(!quiet && ::isatty(STDERR_FILENO));
    TConsoleLog log(progress, [&] {
        // Not in the middle of the view call that found the pipe broken.
        QTimer::singleShot(0, [&] { stop(kExitBrokenPipe); });
    });
    TSavedPictures pictures;
    TNoFilesView files;
    TDownloadSession session(ImageLibraryFileName(ProgramHome()));
    if (!session.LibraryStartupError().isEmpty())
        PrintErr("zavelon-cli: " + EscapeControlChars(session.LibraryStartupError()).toUtf8() + '\n');
    session.SetViews(&files, &log, &pictures);
    TTask *task = session.AddTask(std::move(loaded));
    // Rows and progress are only worth their main-thread calls while a
    // progress line shows them.
    task->SetShown(progress.Enabled());

    QStringList failures;
    QObject::connect(&session, &TDownloadSession::TaskFinished, [] { QCoreApplication::exit(kExitOk); });
    QObject::connect(&session, &TDownloadSession::Error, [&](const QString &text) { failures << text; });
    stop = [&](int code) {
        if (stopCode != kExitOk)
            return;
        stopCode = code;
        // A stop must be quick: pictures still being measured stay in the
        // library's journal and are measured at the next start.
        try {
            session.ShutDown(TDownloadSession::TPendingPictures::Drop);
        } catch (const std::exception &error) {
            failures << ErrorText(error);
        }
        session.FinishEndedWorkers();
        QCoreApplication::exit(code);
    };
    TStopSignals stopSignals([&](int signal) { stop(ExitCodeOf(signal)); });
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] { progress.Draw(*task, pictures.Bytes); });
    if (progress.Enabled())
        redraw.start(250);

    bool refused = false;
    QTimer::singleShot(0, [&] {
        if (session.RunTask(task) == TDownloadSession::TStartResult::HeldElsewhere) {
            refused = true;
            QCoreApplication::exit(kExitFailed);
        }
    });
    QCoreApplication::exec();
    redraw.stop();
    progress.Draw(*task, pictures.Bytes);
    progress.Clear();

    // Like the desktop program at its end, except that a run that ends by
    // itself records every saved picture before the library is written (a
    // stop has shut the session down already).
    try {
        session.ShutDown(TDownloadSession::TPendingPictures::Wait);
    } catch (const std::exception &error) {
        failures << ErrorText(error);
    }
    if (refused)
        throw EZavelonError(session.LastRefusal());
    for (const QString &failure : failures)
        PrintErr("zavelon-cli: " + EscapeControlChars(failure).toUtf8() + '\n');
    const TRunCounts &counts = task->RunCounts();
    PrintErr("zavelon-cli: " + EscapeControlChars(Summary(counts)).toUtf8() + '\n');
    if (stopCode != kExitOk)
        return stopCode;
    return failures.isEmpty() && !RunFailed(counts) ? kExitOk : kExitFailed;
}

const CommandRegistrar kRun{{{QStringLiteral("run")}, QStringLiteral("run FILE.wrp [--quiet]"), Run}};

} // namespace
