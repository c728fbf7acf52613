// The rules of what a task shows: the cells of a row, when rows, progress
// and pictures reach the views, and the log line.
#include "engine/DateTime.h"
#include "engine/PageLock.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"
#include "engine/WorkerHarness.h"
#include "engine/WriteFiles.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(TaskViews, ItemRowCells)
{
    struct Case { const char *url; int depth; bool running; const char *type; };
    const Case cases[] = {
        {"http://h/x/p.jpg", 2, false, ".jpg"},
        {"http://h/dir", 1, true, ""},
        {"http://h/l.php?p=2", 3, false, ".php?p=2"},
        {"http://h", 0, false, ""},
    };
    TTask task;
    TRecordingViews views;
    views.Attach(task);
    for (const Case &c : cases) {
        auto *item = new TTaskItem(&task, c.url);
        item->SetDepth(c.depth);
        task.Items().Add(item);
        item->SetRunning(c.running);
        task.AddItemRow(item);
        const TFileRow &row = views.RowCells.back();
        EXPECT_EQ(views.Rows.back(), item);
        EXPECT_EQ(row.Running, c.running) << c.url;
        EXPECT_EQ(row.URL, c.url);
        EXPECT_EQ(row.Type, c.type) << c.url;
        EXPECT_EQ(row.Depth, c.depth);
        item->SetRunning(false);
    }
    task.AddItemRow(nullptr);
    EXPECT_EQ(views.Rows.size(), std::size(cases));
}

TEST(TaskViews, RunningFlagDrivesTheStateImageOnce)
{
    TTask task;
    TRecordingViews views;
    views.Attach(task);
    auto *item = new TTaskItem(&task, "http://h/a.jpg");
    task.Items().Add(item);
    for (bool flag : {true, true, false, false})
        task.SetRunning(item, flag);
    EXPECT_EQ(views.Events, (std::vector<QString>{"image http://h/a.jpg 1", "image http://h/a.jpg 0"}));
    EXPECT_EQ(task.RunningCount(), 0);
}

TEST(TaskViews, ProgressAndPicturesOnlyWhileShown)
{
    TTask task;
    TRecordingViews views;
    views.Attach(task);
    auto *item = new TTaskItem(&task, "http://h/a.jpg");
    task.Items().Add(item);
    TTaskThread worker(&task, item->URL().URI(), item); // never started
    worker.SetProgress(512, 2048);
    for (bool shown : {false, true}) {
        task.SetShown(shown);
        task.UpdateProgressRow(&worker);
        task.AddPictureRow("/pics/Saved/a.b.jpg", 5119);
        task.ShowLog("hello");
    }
    task.SetPicturesView(nullptr);
    task.AddPictureRow("/pics/Saved/c.jpg", 1);
    EXPECT_EQ(views.Events, (std::vector<QString>{"log hello", "progress http://h/a.jpg 2048 25%",
                                                  "picture a.b.jpg .jpg 4 KB", "log hello"}));
}

TEST(TaskViews, LogLineCarriesNoTimeZoneName)
{
    const QDateTime when(QDate(2024, 2, 29), QTime(13, 5, 9));
    const QLocale locale = QLocale::system();
    const QString line = LogLine("Links found : 3", when);
    EXPECT_EQ(line, "[" + locale.toString(when.date(), QLocale::ShortFormat) + " "
                        + locale.toString(when.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)))
                        + "] - Links found : 3");
    const QString zone = when.timeZoneAbbreviation();
    if (!zone.isEmpty()) {
        EXPECT_FALSE(line.contains(zone)) << line.toStdString();
    }
}

TEST(TaskViews, ValueTexts)
{
    struct Case { qint64 received; qint64 length; const char *size; const char *percent; };
    const Case cases[] = {
        {512, 2048, "2048", "25%"}, {0, 2048, "2048", "0%"},   {2048, 2048, "2048", "100%"},
        {1, 8, "8", "12%"},          {3, 8, "8", "38%"},         {5, 8, "8", "62%"},  // halves to even
        {7, 8, "8", "88%"},          {1, 3, "3", "33%"},         {2, 3, "3", "67%"},
        {100, 0, "---", "---"},      {qint64(5) << 40, qint64(1) << 43, "8796093022208", "62%"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SizeText(c.length), c.size) << c.received << "/" << c.length;
        EXPECT_EQ(PercentText(c.received, c.length), c.percent) << c.received << "/" << c.length;
    }
    EXPECT_EQ(KiloBytesText(1023), "0 KB");
    EXPECT_EQ(KiloBytesText(5119), "4 KB");
    EXPECT_EQ(FileNameExtension("/x/Saved/pic[0].jpeg"), ".jpeg");
    EXPECT_EQ(FileNameExtension("/x.d/readme"), "");
}

TEST(PageLock, OneHolderAndAStopEndsTheWait)
{
    TPageLock lock;
    std::atomic<bool> running{false};
    int first = 1;
    int second = 2;
    ASSERT_TRUE(lock.Acquire(&first, running));
    std::atomic<bool> stopped{false};
    std::atomic<int> outcome{-1};
    std::thread waiter([&] { outcome = lock.Acquire(&second, stopped) ? 1 : 0; });
    lock.Release(&second); // not the holder: nothing
    EXPECT_TRUE(lock.IsHeld());
    stopped = true;
    lock.WakeWaiters();
    waiter.join();
    EXPECT_EQ(outcome, 0);
    lock.Release(&first);
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_TRUE(lock.Acquire(&second, running));
    lock.Release(&second);
}

TEST(WriteFiles, OneWriterPerPath)
{
    EXPECT_TRUE(ClaimWriteFile("/t/a.jpg!!wr"));
    EXPECT_FALSE(ClaimWriteFile("/t/a.jpg!!wr"));
    EXPECT_TRUE(ClaimWriteFile("/t/b.jpg!!wr"));
    ReleaseWriteFile("/t/a.jpg!!wr");
    EXPECT_TRUE(ClaimWriteFile("/t/a.jpg!!wr"));
    ReleaseWriteFile("/t/a.jpg!!wr");
    ReleaseWriteFile("/t/b.jpg!!wr");
}

TEST(TaskItemList, WaitingAndRunningFollowTheItems)
{
    TTask task;
    task.URL().SetURI("http://h/");
    auto add = [&](const char *url) {
        auto *item = new TTaskItem(&task, url);
        task.Items().AddSorted(item);
        return item;
    };
    TTaskItem *shortUrl = add("http://h/a.jpg");
    TTaskItem *longUrl = add("http://h/longer.jpg");
    TTaskItem *foreign = add("http://other/zzzzzzzzzzzzzzzzzzzz.jpg");
    EXPECT_EQ(task.Items().FirstWaiting(), longUrl); // list order: priority first
    longUrl->SetRunning(true);
    EXPECT_EQ(task.Items().FirstWaiting(), shortUrl);
    shortUrl->SetDone(true);
    EXPECT_EQ(task.Items().FirstWaiting(), foreign);
    EXPECT_EQ(task.Items().RunningCount(), 1);
    TTaskItem *later = add("http://h/b.jpg"); // arrives before the cursor
    EXPECT_EQ(task.Items().FirstWaiting(), later);
    longUrl->SetRunning(false);
    EXPECT_EQ(task.Items().FirstWaiting(), longUrl);
    EXPECT_EQ(task.Items().RunningCount(), 0);
    task.Items().Clear();
    EXPECT_EQ(task.Items().FirstWaiting(), nullptr);
    for (TTaskItem *item : {shortUrl, longUrl, foreign, later})
        delete item;
}

TEST(TaskItemList, WaitingSearchInAListOutOfOrder)
{
    TTask task;
    task.URL().SetURI("http://h/");
    auto *low = new TTaskItem(&task, "http://x/a.jpg");
    auto *high = new TTaskItem(&task, "http://h/a.jpg");
    task.Items().Add(low);
    task.Items().Add(high); // a loaded file may be in any order
    ASSERT_FALSE(task.Items().IsPriorityOrdered());
    EXPECT_EQ(task.Items().FirstWaiting(), low);
    low->SetDone(true);
    EXPECT_EQ(task.Items().FirstWaiting(), high);
    high->SetRunning(true);
    EXPECT_EQ(task.Items().FirstWaiting(), nullptr);
    EXPECT_EQ(task.Items().RunningCount(), 1);
    high->SetRunning(false);
}

} // namespace
