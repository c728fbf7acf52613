// zavelon-cli run-due: the scheduled tasks of a folder whose slot has come
// run once per slot, one after another, against a local site.
#include "cli/CliRunner.h"
#include "engine/DateTime.h"
#include "engine/FileLock.h"
#include "engine/Task.h"
#include "engine/TestSite.h"
#include "session/DueRuns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RunDueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && projects.isValid());
        site.Page("/", "<img src=\"a.jpg\">");
        site.File("/a.jpg", QByteArray(3000, 'a'));
    }

    // A task of the site with a schedule; its pictures go to a folder of its own.
    QString WriteTask(const QString &relative, std::uint8_t type, double startDate, double startTime = 0)
    {
        TTask task;
        task.SetName(QFileInfo(relative).baseName());
        task.URL().SetURI(site.Url("/"));
        TRegOptions &options = task.Options();
        options.DefaultFolder = projects.path() + "/out/" + task.Name() + "/";
        QDir().mkpath(options.DefaultFolder);
        options.FileMasks = {"jpg, Saved"};
        options.EnableFileLimit = false;
        options.Scheme.SchemeType = type;
        options.Scheme.SchemeStartDate = startDate;
        options.Scheme.SchemeStartTime = startTime;
        const QString path = projects.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        task.SaveToFile(path);
        return QFileInfo(path).absoluteFilePath();
    }

    CliRun RunDue() { return RunCli(home.path(), {"run-due", "--folder", projects.path()}); }

    bool Saved(const QString &name) const
    {
        return QFileInfo::exists(projects.path() + "/out/" + name + "/Saved/a.jpg");
    }

    TTestSite site;
    QTemporaryDir home;
    QTemporaryDir projects;
};

TEST_F(RunDueTest, RunsEachDueTaskOncePerSlot)
{
    const double now = NowDays();
    const double today = std::trunc(now);
    const QString daily = WriteTask("daily.wrp", TRegScheme::stDaily, today - 1);
    // Started an hour and a half ago: its last hourly slot opened half an hour ago.
    const QString hourly = WriteTask("sub/hourly.wrp", TRegScheme::stEvery, std::trunc(now - 1.5 / 24),
                                     now - 1.5 / 24 - std::trunc(now - 1.5 / 24));
    WriteTask("weekly.wrp", TRegScheme::stWeekly, today - 3);
    WriteTask("none.wrp", TRegScheme::stNone, today);
    WriteTask("later.wrp", TRegScheme::stDaily, today + 2);

    const CliRun first = RunDue();
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QStringList lines = QString::fromUtf8(first.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << first.out.toStdString();
    EXPECT_EQ(lines[0], "ran " + daily + ": 1 picture(s) saved, 0 failed");
    EXPECT_EQ(lines[1], "ran " + hourly + ": 1 picture(s) saved, 0 failed");
    EXPECT_TRUE(Saved("daily") && Saved("hourly"));
    EXPECT_FALSE(Saved("weekly") || Saved("none") || Saved("later"));
    TTask written;
    written.LoadFromFile(daily);
    EXPECT_EQ(written.DoneCount(), 2);
    TDueRuns runs(DueRunsFileName(home.path()));
    EXPECT_EQ(runs.LastSlot(daily), std::int64_t(today) * 86400000);

    // Called again within the same slots: nothing to do.
    const CliRun second = RunDue();
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, QByteArray());
}

TEST_F(RunDueTest, UnreadableAndHeldTasksAreSaidAndFailTheCall)
{
    const double today = std::trunc(NowDays());
    const QString held = WriteTask("held.wrp", TRegScheme::stDaily, today);
    const QString broken = projects.path() + "/broken.wrp";
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a project");
    file.close();
    TFileLock other(held + ".lock");
    ASSERT_TRUE(other.TryLock());

    const CliRun run = RunDue();
    EXPECT_EQ(run.exitCode, 1);
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.contains("failed " + QFileInfo(broken).absoluteFilePath() + ": ")) << out.toStdString();
    EXPECT_TRUE(out.contains("refused " + held + ": The task file " + held + " is being run by")) << out.toStdString();
    EXPECT_FALSE(Saved("held"));
}

TEST_F(RunDueTest, AFolderThatIsNotThereIsAFailure)
{
    const CliRun run = RunCli(home.path(), {"run-due", "--folder", projects.path() + "/missing"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("missing")) << run.err.toStdString();
    const CliRun usage = RunCli(home.path(), {"run-due", "extra"});
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
