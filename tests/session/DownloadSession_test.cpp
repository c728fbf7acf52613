// The session both programs drive: opening tasks, the user's limit, the end
// of a run, due schedules and the end of the program, against a loopback site.
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/Task.h"
#include "engine/TaskList.h"
#include "engine/TestSite.h"
#include "engine/WorkerHarness.h"
#include "images/ImageLibrary.h"
#include "session/DownloadSession.h"
#include "session/DueRuns.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace {

class DownloadSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(m_dir.isValid());
        m_site.Page("/", "<a href=\"a.jpg\">a</a> <a href=\"held.jpg\">h</a>");
        m_site.File("/a.jpg", QByteArray(20000, 'a'));
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // A project file of a task on the loopback site, saving under the temporary folder.
    QString WriteTask(const QString &name, const QString &start = QStringLiteral("/"))
    {
        TTask task;
        task.SetName(name);
        task.URL().SetURI(m_site.Url(start));
        task.Options().DefaultFolder = Path(name) + QLatin1Char('/');
        task.Options().FileMasks = {QStringLiteral("jpg, Saved")};
        task.Options().EnableFileLimit = false;
        QDir().mkpath(task.Options().DefaultFolder);
        const QString file = Path(name + QStringLiteral(".wrp"));
        task.SaveToFile(file);
        return file;
    }

    std::unique_ptr<TDownloadSession> MakeSession()
    {
        auto session = std::make_unique<TDownloadSession>(Path(QStringLiteral("imglib.db")));
        session->SetViews(&m_views, &m_views, &m_views);
        return session;
    }

    QTemporaryDir m_dir;
    TTestSite m_site;
    TRecordingViews m_views;
};

TEST_F(DownloadSessionTest, OpensEachProjectFileOnceAndNamesAFileItCannotRead)
{
    auto session = MakeSession();
    const QString file = WriteTask(QStringLiteral("one"));
    TTask *task = session->OpenTask(file);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(session->OpenTask(file), task);
    EXPECT_EQ(session->LoadedTask(file.toUpper()), task) << "paths compare without regard to case";
    EXPECT_EQ(session->TaskList().Count(), 1);
    EXPECT_EQ(session->LoadedTaskPaths(), QStringList{file});
    EXPECT_EQ(task->LogView(), &m_views);

    QFile shortFile(Path(QStringLiteral("short.wrp")));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("too short");
    shortFile.close();
    for (const QString &bad : {Path(QStringLiteral("short.wrp")), Path(QStringLiteral("missing.wrp"))}) {
        try {
            session->OpenTask(bad);
            ADD_FAILURE() << "opened " << bad.toStdString();
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(bad)) << error.message().toStdString();
        }
    }
    EXPECT_EQ(session->TaskList().Count(), 1);
}

TEST_F(DownloadSessionTest, UserStartsAreLimitedToThreeRunningTasks)
{
    m_site.Held("/held.jpg", QByteArray(50000, 'h'), 10);
    auto session = MakeSession();
    std::vector<TTask *> tasks;
    for (const char *name : {"t1", "t2", "t3", "t4"})
        tasks.push_back(session->OpenTask(WriteTask(QString::fromLatin1(name), QStringLiteral("/held.jpg"))));
    QSignalSpy changed(session.get(), &TDownloadSession::TaskStateChanged);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(session->RunByUser(tasks[size_t(i)]), TDownloadSession::TStartResult::Started);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_TRUE(tasks[2]->Shown());
    EXPECT_FALSE(tasks[0]->Shown()) << "only the task started last is shown";
    EXPECT_EQ(session->RunByUser(tasks[3]), TDownloadSession::TStartResult::TooManyRunning);
    EXPECT_TRUE(tasks[3]->Stopped());

    session->StopTask(tasks[2]);
    EXPECT_EQ(session->RunByUser(tasks[0]), TDownloadSession::TStartResult::AlreadyRunning);
    // A schedule is not held to the limit.
    session->RunScheduled(tasks[2]);
    session->RunScheduled(tasks[3]);
    EXPECT_EQ(session->RunningCount(), 4);
    session->StopAll();
    EXPECT_EQ(session->RunningCount(), 0);
    for (TTask *task : tasks) {
        TTask written;
        written.LoadFromFile(task->FileName());
        EXPECT_EQ(written.Items().Count(), 1) << "the stop wrote " << task->FileName().toStdString();
    }
    m_site.Release("/held.jpg");
}

TEST_F(DownloadSessionTest, RunEndWritesTheProjectTellsOnceAndOffersTheShutDownAfterTheLast)
{
    auto session = MakeSession();
    bool wanted = true;
    session->SetShutDownWanted([&] { return wanted; });
    TTask *first = session->OpenTask(WriteTask(QStringLiteral("first")));
    TTask *second = session->OpenTask(WriteTask(QStringLiteral("second")));
    QSignalSpy finished(session.get(), &TDownloadSession::TaskFinished);
    QSignalSpy offered(session.get(), &TDownloadSession::ShutDownOffered);
    session->RunTask(first);
    session->RunTask(second);
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 2; }));
    EXPECT_EQ(offered.count(), 1) << "offered when the last running task ended, not before";
    PumpFor(50);
    EXPECT_EQ(finished.count(), 2);
    for (TTask *task : {first, second}) {
        TTask written;
        written.LoadFromFile(task->FileName());
        EXPECT_EQ(written.Items().Count(), 3) << "the page and its two links";
        EXPECT_EQ(written.DoneCount(), 2) << "held.jpg is missing here: it waits for the next run";
        EXPECT_EQ(task->PicturesSaved(), 1);
        EXPECT_EQ(task->PicturesFailed(), 1);
    }
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("first/Saved/a.jpg"))));

    wanted = false;
    session->RestartTask(first);
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 3; }));
    EXPECT_EQ(offered.count(), 1);
}

TEST_F(DownloadSessionTest, RunEndThatCannotWriteTheProjectIsReported)
{
    auto session = MakeSession();
    const QString file = WriteTask(QStringLiteral("gone"));
    TTask *task = session->OpenTask(file);
    task->SetFileName(Path(QStringLiteral("no/such/folder/gone.wrp")));
    QSignalSpy errors(session.get(), &TDownloadSession::Error);
    QSignalSpy finished(session.get(), &TDownloadSession::TaskFinished);
    session->RunTask(task);
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 1; }));
    ASSERT_EQ(errors.count(), 1);
    EXPECT_TRUE(errors.first().first().toString().contains(QStringLiteral("gone.wrp")));
}

TEST_F(DownloadSessionTest, DueScheduleStartsATaskOncePerSlot)
{
    auto session = MakeSession();
    TTask *daily = session->OpenTask(WriteTask(QStringLiteral("daily")));
    TTask *never = session->OpenTask(WriteTask(QStringLiteral("never")));
    const double today = std::trunc(NowDays());
    daily->Options().Scheme.SchemeType = TRegScheme::stDaily;
    daily->Options().Scheme.SchemeStartDate = today - 2;
    never->Options().Scheme.SchemeType = TRegScheme::stNone;
    QSignalSpy ticked(session.get(), &TDownloadSession::Ticked);
    QSignalSpy finished(session.get(), &TDownloadSession::TaskFinished);

    session->Tick(today + 0.5);
    EXPECT_EQ(ticked.count(), 1);
    EXPECT_FALSE(daily->Stopped());
    EXPECT_TRUE(never->Stopped());
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 1; }));
    EXPECT_EQ(daily->DoneCount(), 2) << "held.jpg is missing: it failed";

    // Still the same due day: its run is over and it is not started again.
    session->Tick(today + 0.6);
    EXPECT_TRUE(daily->Stopped());
    // The next due day starts it over from its start URL.
    session->Tick(today + 1.2);
    EXPECT_FALSE(daily->Stopped());
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 2; }));
    EXPECT_EQ(daily->Items().Count(), 3);
    EXPECT_EQ(daily->DoneCount(), 2);
    EXPECT_EQ(m_site.RequestCount("/"), 2) << "a failed picture does not keep the task from starting over";
}

TEST_F(DownloadSessionTest, ProgramsOnOneHomeStartAScheduledTaskOncePerSlot)
{
    const QString file = WriteTask(QStringLiteral("shared"));
    const double today = std::trunc(NowDays());
    {
        TTask scheduled;
        scheduled.LoadFromFile(file);
        scheduled.Options().Scheme.SchemeType = TRegScheme::stDaily;
        scheduled.Options().Scheme.SchemeStartDate = today - 1;
        scheduled.SaveToFile(file);
    }
    const QString dueRuns = Path(QStringLiteral("due-runs.txt"));
    int started = 0;
    for (int program = 0; program < 2; ++program) {
        auto session = MakeSession();
        session->SetDueRunsFile(dueRuns);
        TTask *task = session->OpenTask(file);
        QSignalSpy finished(session.get(), &TDownloadSession::TaskFinished);
        session->Tick(today + 0.25);
        if (!task->Stopped()) {
            ++started;
            ASSERT_TRUE(PumpUntil([&] { return finished.count() == 1; }));
        }
        session->ShutDown();
    }
    EXPECT_EQ(started, 1) << "the second program found the slot taken";
    TDueRuns runs(dueRuns);
    EXPECT_EQ(runs.LastSlot(file), std::int64_t(today) * 86400000);
    EXPECT_EQ(runs.LastSlot(Path(QStringLiteral("other.wrp"))), std::nullopt);

    // A claim looks and records at once: the slot that is taken, or an
    // older one, is refused; the next one is had once.
    const std::int64_t slot = std::int64_t(today) * 86400000;
    EXPECT_FALSE(runs.Claim(file, slot));
    EXPECT_FALSE(runs.Claim(file, slot - 86400000));
    EXPECT_TRUE(runs.Claim(file, slot + 86400000));
    EXPECT_FALSE(TDueRuns(dueRuns).Claim(file, slot + 86400000)) << "a second program finds it taken";
    EXPECT_EQ(runs.LastSlot(file), slot + 86400000);
}

TEST_F(DownloadSessionTest, ShutDownStopsWritesAndRecordsEverySavedPicture)
{
    m_site.Held("/held.jpg", QByteArray(50000, 'h'), 10);
    const QString library = Path(QStringLiteral("imglib.db"));
    {
        auto session = MakeSession();
        TTask *task = session->OpenTask(WriteTask(QStringLiteral("end")));
        session->RunTask(task);
        ASSERT_TRUE(PumpUntil([&] { return QFileInfo::exists(Path(QStringLiteral("end/Saved/a.jpg"))); }));
        ASSERT_TRUE(PumpUntil([&] { return task->RunningCount() == 1; }));
        session->ShutDown(TDownloadSession::TPendingPictures::Wait);
        EXPECT_TRUE(task->Stopped());
        EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("end/Saved/held.jpg!!wr"))));
        TTask written;
        written.LoadFromFile(task->FileName());
        EXPECT_LT(written.DoneCount(), written.Items().Count()) << "the held picture waits for the next run";
        session->ShutDown(); // a second call does nothing
    }
    m_site.Release("/held.jpg");
    TImageLibrary records;
    records.LoadFromFile(library);
    EXPECT_NE(records.Find(Path(QStringLiteral("end/Saved/a.jpg"))), nullptr);
}

// One task file is run by one program at a time: a second session (another
// program) is refused with a text that names the first, by every kind of
// start, and may run it once the first is done.
TEST_F(DownloadSessionTest, TaskFileRunByAnotherProgramIsRefusedNamingIt)
{
    m_site.Held("/held.jpg", QByteArray(50000, 'h'), 10);
    const QString file = WriteTask(QStringLiteral("shared"), QStringLiteral("/held.jpg"));
    auto first = MakeSession();
    TTask *running = first->OpenTask(file);
    ASSERT_EQ(first->RunTask(running), TDownloadSession::TStartResult::Started);

    TDownloadSession second(Path(QStringLiteral("other-imglib.db")));
    TTask *refused = second.OpenTask(file);
    QSignalSpy refusals(&second, &TDownloadSession::RunRefused);
    const QString holder = QStringLiteral("%1 (pid %2)").arg(QCoreApplication::applicationName()).arg(::getpid());
    EXPECT_EQ(second.RunTask(refused), TDownloadSession::TStartResult::HeldElsewhere);
    EXPECT_EQ(second.LastRefusal(), QStringLiteral("The task file %1 is being run by %2").arg(file, holder));
    EXPECT_EQ(second.RunByUser(refused), TDownloadSession::TStartResult::HeldElsewhere);
    second.RunScheduled(refused);
    second.RestartTask(refused);
    EXPECT_EQ(refusals.count(), 4);
    EXPECT_TRUE(refused->Stopped());
    EXPECT_EQ(refused->Items().Count(), 0) << "a refused restart changes nothing";

    first->StopTask(running);
    m_site.Release("/held.jpg");
    QSignalSpy finished(&second, &TDownloadSession::TaskFinished);
    EXPECT_EQ(second.RunTask(refused), TDownloadSession::TStartResult::Started);
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 1; }));
    EXPECT_EQ(refused->PicturesSaved(), 1);
}

// Pictures that a killed run saved under their final names, which the library
// never heard of, are recorded when the task is opened again.
TEST_F(DownloadSessionTest, PicturesOfACrashedRunReachTheLibrary)
{
    const QString file = WriteTask(QStringLiteral("crashed"));
    const QString picture = Path(QStringLiteral("crashed/Saved/a.jpg"));
    QDir().mkpath(QFileInfo(picture).path());
    QFile written(picture);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(QByteArray(2000, 'a'));
    written.close();
    QFile journal(file + QStringLiteral(".journal"));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write("S 1 " + m_site.Url("/a.jpg").toUtf8() + '\t' + picture.toUtf8() + '\n');
    journal.close();

    auto session = MakeSession();
    TTask *task = session->OpenTask(file);
    EXPECT_EQ(task->DoneCount(), 1);
    session->ShutDown(TDownloadSession::TPendingPictures::Wait);
    TImageLibrary records;
    records.LoadFromFile(Path(QStringLiteral("imglib.db")));
    const TImageDetail *record = records.Find(picture);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->FileSize, 1920);
}

} // namespace
