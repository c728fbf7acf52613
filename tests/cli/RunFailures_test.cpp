// zavelon-cli run against a hostile loopback site and a hostile machine: the
// summary and the exit code tell what failed; a task file run by another
// program is refused; a run killed at any moment loses nothing and leaves no
// copy behind; a reader that goes away stops the run in order.
#include "engine/FileLock.h"
#include "engine/LocalServer.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TestSite.h"
#include "images/ImageLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

QByteArray Png(int width, int height, int pad = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    // Bytes after the end of a PNG are ignored by its readers.
    return buffer.data() + QByteArray(pad, 'p');
}

constexpr uid_t kNobody = 65534;

struct TCliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QByteArray LastErrLine() const
    {
        QList<QByteArray> lines = err.trimmed().split('\n');
        return lines.isEmpty() ? QByteArray() : lines.last();
    }
};

class RunFailuresTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && work.isValid());
        // An unprivileged run must reach its home and its work folder.
        for (const QString &folder : {home.path(), work.path()})
            QFile(folder).setPermissions(QFileDevice::Permissions(0x7777));
    }

    QString SaveFolder() const { return work.path() + "/site/"; }
    QString Saved() const { return SaveFolder() + "Saved/"; }
    QString Project() const { return work.path() + "/local.wrp"; }

    void WriteTask(const QString &start)
    {
        TTask task;
        task.SetName("local");
        task.URL().SetURI(start);
        TRegOptions &options = task.Options();
        options.DefaultFolder = SaveFolder();
        QDir().mkpath(options.DefaultFolder);
        options.FileMasks = {"png, Saved", "jpg, Saved"};
        options.ExcludeFiles = {};
        options.EnableFileLimit = false;
        options.SeekDeep = 3;
        task.SaveToFile(Project());
        QFile(Project()).setPermissions(QFileDevice::Permissions(0x6666));
    }

    // Runs `zavelon-cli --home HOME run PROJECT --quiet`, `prepare` running in
    // the child before the program starts (a user, a limit).
    TCliResult RunTask(const std::function<void()> &prepare = {})
    {
        QProcess process;
        if (prepare)
            process.setChildProcessModifier(prepare);
        process.start(QStringLiteral(ZAVELON_CLI), {"--home", home.path(), "run", Project(), "--quiet"});
        EXPECT_TRUE(process.waitForStarted());
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QStringList SavedFiles() const
    {
        QStringList names = QDir(Saved()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

    TTestSite site;
    QTemporaryDir home;
    QTemporaryDir work;
};

// The last line on stderr sums the run up; the exit code is 1 when a file
// could not be written here or the start address could not be fetched at
// all, and 0 when only single pictures failed on the site's side.
TEST_F(RunFailuresTest, SummaryAndExitCodeTellWhatFailed)
{
    TTlsTestSite untrusted;
    untrusted.Page("/index.html", "<img src=a.png>");
    site.Page("/index.html", "<img src=a.png><img src=gone.png><img src=big.png>");
    site.File("/a.png", Png(4, 3));
    site.File("/big.png", Png(4, 3, 3 << 20));
    const bool root = ::geteuid() == 0;

    struct Case {
        const char *name;
        QString start;
        std::function<void(const QString &saveFolder)> prepare; // in the test
        std::function<void()> child;                           // in the child
        int exitCode;
        QStringList last; // texts of the summary line
        int failedItems;  // left not done in the project file
    };
    const Case cases[] = {
        {"a missing picture is counted, no failure of the run", site.Url("/index.html"), {}, {}, 0,
         {"zavelon-cli: 2 picture(s) saved, 1 failed"}, 1},
        {"start refused", QStringLiteral("http://127.0.0.1:%1/index.html").arg(ClosedPort()), {}, {}, 1,
         {"0 picture(s) saved, 0 failed", "the start address could not be fetched", "connection refused"}, 1},
        {"certificate not trusted", untrusted.Url("/index.html"), {}, {}, 1,
         {"the start address could not be fetched", "TLS certificate not trusted"}, 1},
        {"save folder without permission", site.Url("/index.html"),
         [root](const QString &folder) {
             QDir().mkpath(folder + "Saved");
             // Root writes anywhere: the program then runs as nobody.
             QFile(folder + "Saved").setPermissions(QFileDevice::Permissions(root ? 0x5555 : 0x5500));
         },
         [root] {
             if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                 ::_exit(99);
         },
         1, {"0 picture(s) saved, 3 failed", "3 file(s) could not be written here", "Permission denied"}, 3},
        {"disk full", site.Url("/index.html"), {},
         [] {
             // A file size limit fails writes as a full disk does.
             ::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{1 << 20, 1 << 20};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         1, {"1 picture(s) saved, 2 failed", "1 file(s) could not be written here", "File too large"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(SaveFolder()).removeRecursively();
        QFile::remove(home.path() + "/imglib.db");
        WriteTask(c.start);
        if (c.prepare)
            c.prepare(SaveFolder());
        const TCliResult run = RunTask(c.child);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        const QByteArray last = run.LastErrLine();
        for (const QString &text : c.last)
            EXPECT_TRUE(last.contains(text.toUtf8())) << "last line: " << last.toStdString();
        EXPECT_TRUE(last.startsWith("zavelon-cli: ")) << last.toStdString();
        QFile(SaveFolder() + "Saved").setPermissions(QFileDevice::Permissions(0x7777));
        TTask after;
        after.LoadFromFile(Project());
        EXPECT_EQ(after.DoneCount(), after.Items().Count() - c.failedItems) << "failed items wait for the next run";
    }
}

TEST_F(RunFailuresTest, TaskFileRunByAnotherProgramIsRefused)
{
    site.Page("/index.html", "<img src=a.png>");
    site.File("/a.png", Png(4, 3));
    WriteTask(site.Url("/index.html"));
    TFileLock other(LockFileOf(Project()), true);
    ASSERT_TRUE(other.TryLock());
    const TCliResult refused = RunTask();
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.LastErrLine().contains(QStringLiteral("(pid %1)").arg(::getpid()).toUtf8()))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.LastErrLine().contains(Project().toUtf8()));
    EXPECT_EQ(site.Requests().size(), 0);
    other.Unlock();
    EXPECT_EQ(RunTask().exitCode, 0);
    EXPECT_EQ(SavedFiles(), QStringList{"a.png"});
}

// Killed with SIGKILL in the middle of the crawl, again and again, then run
// to its end: every picture is saved exactly once (no name[n] copy of a
// picture that was complete), none is left half-written, and the library
// records every one of them.
TEST_F(RunFailuresTest, KilledRunsLoseNothingAndMakeNoCopies)
{
    constexpr int kPictures = 60;
    QByteArray page;
    QStringList expected;
    for (int i = 0; i < kPictures; ++i) {
        const QString name = QStringLiteral("p%1.png").arg(i);
        page += "<img src=" + name.toUtf8() + ">";
        site.File("/" + name, Png(8, 8, 20000 + i));
        // A small pause per picture spreads the crawl over a second or two.
        site.OnRequest("/" + name, [] { QThread::msleep(15); });
        expected << name;
    }
    expected.sort();
    site.Page("/index.html", page);
    WriteTask(site.Url("/index.html"));

    int killed = 0;
    for (int kill = 0; kill < 4; ++kill) {
        QProcess process;
        process.start(QStringLiteral(ZAVELON_CLI), {"--home", home.path(), "run", Project(), "--quiet"});
        ASSERT_TRUE(process.waitForStarted());
        QByteArray out;
        const int wanted = 3 + 2 * kill;
        while (out.count("\" saved") < wanted && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        ::kill(pid_t(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(30000));
        if (process.exitStatus() == QProcess::NormalExit)
            break; // it was done before the kill came
        ++killed;
    }
    EXPECT_GE(killed, 1);
    const TCliResult last = RunTask();
    ASSERT_EQ(last.exitCode, 0) << last.err.toStdString();

    EXPECT_EQ(SavedFiles().join(' ').toStdString(), expected.join(' ').toStdString())
        << "no copies, nothing half-written, nothing lost";
    TTask task;
    task.LoadFromFile(Project());
    EXPECT_EQ(task.DoneCount(), task.Items().Count());
    EXPECT_FALSE(QFileInfo::exists(Project() + ".journal"));
    TImageLibrary library;
    library.LoadFromFile(home.path() + "/imglib.db");
    std::set<QString> recorded;
    for (int i = 0; i < library.Count(); ++i)
        recorded.insert(library.Items(i)->FileName);
    EXPECT_EQ(int(recorded.size()), library.Count()) << "one record per picture";
    for (const QString &name : expected)
        EXPECT_EQ(recorded.count(Saved() + name), 1u) << name.toStdString();
    EXPECT_EQ(library.Count(), kPictures);
}

// `zavelon-cli run ... | head`: once the reader has gone, the run stops as
// on a signal: no partial file, the project and the library written.
TEST_F(RunFailuresTest, BrokenPipeStopsTheRunInOrder)
{
    site.Page("/index.html", "<img src=a.png><img src=held.png>");
    site.File("/a.png", Png(4, 3));
    site.Held("/held.png", Png(4, 3, 100000), 1000);
    WriteTask(site.Url("/index.html"));

    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const QByteArray program = ZAVELON_CLI;
    const QByteArray homeArg = home.path().toUtf8();
    const QByteArray projectArg = Project().toUtf8();
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>("--home"),
                    const_cast<char *>(homeArg.constData()), const_cast<char *>("run"),
                    const_cast<char *>(projectArg.constData()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);

    // Read until the held picture is being written, then go away.
    QByteArray out;
    char buffer[4096];
    while (!out.contains("Saving file \"held.png!!wr\"")) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        out.append(buffer, int(got));
    }
    ASSERT_TRUE(out.contains("Saving file \"held.png!!wr\"")) << out.toStdString();
    ::close(output[0]);
    site.Release("/held.png"); // the next log line finds nobody reading

    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "not killed by SIGPIPE";
    EXPECT_EQ(WEXITSTATUS(status), 141);
    for (const QString &name : SavedFiles())
        EXPECT_FALSE(name.endsWith("!!wr")) << name.toStdString();
    TTask task;
    task.LoadFromFile(Project());
    EXPECT_EQ(task.Items().Count(), 3) << "the project file was written";
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/imglib.db")) << "so was the library";
}

} // namespace
