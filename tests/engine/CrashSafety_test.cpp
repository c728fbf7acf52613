// Nothing lost when the program dies at any moment: the task's journal beside
// its project file, folded in at the next load; project files readable by
// their owner only and bounded in size; stale temporary files of a crashed
// run cleared; file locks that name their holder.
#include "engine/Errors.h"
#include "engine/FileLock.h"
#include "engine/FileNames.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskJournal.h"
#include "engine/TaskThread.h"
#include "engine/TestSite.h"
#include "engine/WorkerHarness.h"
#include "engine/WriteFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TEntry = TTaskJournal::TEntry;

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(TaskJournal, LinesRoundTripAndATornLastLineIsIgnored)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("t.wrp");
    const TEntry entries[] = {
        {TEntry::Queued, 2, "http://h/a b\tc\\d.jpg", ""},
        {TEntry::Done, -1, "http://h/p,1.html", ""},
        {TEntry::Saved, 1, "http://h/x\ny.jpg", "/save/Saved/x\ny\r.jpg"},
    };
    {
        TTaskJournal journal(project);
        for (const TEntry &entry : entries)
            ASSERT_TRUE(journal.Append(entry));
    }
    QFile file(TTaskJournal::PathOf(project));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("D 1 http://h/torn.jp"); // the program died in this write
    file.close();
    const std::vector<TEntry> read = TTaskJournal::Read(project, 100);
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].Kind, entries[i].Kind);
        EXPECT_EQ(read[i].Depth, entries[i].Depth);
        EXPECT_EQ(read[i].URL, entries[i].URL);
        EXPECT_EQ(read[i].Path, entries[i].Path);
    }
    EXPECT_EQ(ReadBytes(file.fileName()).count('\n'), 3) << "no raw line end inside a line";
    EXPECT_THROW(TTaskJournal::Read(project, 2), EZavelonError);
}

// A run that died before writing its project file: the journal tells the
// next load what was queued, done and saved.
TEST(TaskJournal, LoadFoldsTheJournalInAndSaveTakesItAway)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("t.wrp");
    const QString present = dir.filePath("present.jpg");
    WriteBytes(present, "picture");
    {
        TTask task;
        task.URL().SetURI("http://h/");
        auto *start = new TTaskItem(&task, "http://h/");
        start->SetDepth(0);
        task.Items().Add(start);
        task.SaveToFile(project);
    }
    TTaskJournal journal(project);
    journal.Append({{TEntry::Queued, 1, "http://h/page.html", ""},
                    {TEntry::Queued, 1, "http://h/present.jpg", ""},
                    {TEntry::Queued, 1, "http://h/renamed-never.jpg", ""},
                    {TEntry::Queued, 1, "http://h/waiting.jpg", ""},
                    {TEntry::Done, 0, "http://h/", ""},
                    {TEntry::Saved, 1, "http://h/present.jpg", present},
                    // The line is written just before the rename: no file, not done.
                    {TEntry::Saved, 1, "http://h/renamed-never.jpg", dir.filePath("renamed-never.jpg")},
                    {TEntry::Done, 1, "http://h/page.html", ""},
                    {TEntry::Done, 1, "http://h/page.html", ""}});

    TTask task;
    task.LoadFromFile(project);
    struct Expected { const char *url; bool done; int depth; };
    const Expected expected[] = {
        {"http://h/", true, 0},
        {"http://h/page.html", true, 1},
        {"http://h/present.jpg", true, 1},
        {"http://h/renamed-never.jpg", false, 1},
        {"http://h/waiting.jpg", false, 1},
    };
    ASSERT_EQ(task.Items().Count(), 5);
    for (const Expected &e : expected) {
        const int index = task.Items().IndexOfURL(e.url);
        ASSERT_GE(index, 0) << e.url;
        EXPECT_EQ(task.Items().Get(index)->Done(), e.done) << e.url;
        EXPECT_EQ(task.Items().Get(index)->Depth(), e.depth) << e.url;
    }
    EXPECT_EQ(task.DoneCount(), 3);
    EXPECT_EQ(task.RecoveredPictures(), QStringList{present});

    task.SaveToFile(project);
    EXPECT_FALSE(QFileInfo::exists(TTaskJournal::PathOf(project)));
    TTask again;
    again.LoadFromFile(project);
    EXPECT_EQ(again.Items().Count(), 5);
    EXPECT_EQ(again.DoneCount(), 3);
}

// Every item is journaled as it ends, so a run whose project file is never
// written (the process killed at its very end) is found done at the next load.
TEST(TaskJournal, RunJournalsEveryItemAsItEnds)
{
    EnsureApplication();
    QTemporaryDir dir;
    TTestSite site;
    site.Page("/index.html", "<a href=a.jpg>a</a><a href=sub.html>s</a><a href=gone.jpg>g</a>");
    site.Page("/sub.html", "<img src=b.jpg>");
    site.File("/a.jpg", QByteArray(500, 'a'));
    site.File("/b.jpg", QByteArray(500, 'b'));
    const QString project = dir.filePath("run.wrp");
    TTask task;
    task.URL().SetURI(site.Url("/index.html"));
    task.Options().DefaultFolder = dir.path() + "/";
    task.Options().FileMasks = {"jpg, Saved"};
    task.Options().ExcludeFiles.clear();
    task.Options().EnableFileLimit = false;
    task.Options().SeekDeep = 3;
    task.SetFileName(project);
    task.SaveToFile(project);
    int finished = 0;
    task.SetOnFinished([&](TTask *) { ++finished; }); // no save: the program "dies" here
    task.Run();
    ASSERT_TRUE(PumpUntil([&] { return finished == 1; }));
    ASSERT_TRUE(TTaskThread::WaitForAll(20000));
    EXPECT_TRUE(QFileInfo::exists(TTaskJournal::PathOf(project)));

    TTask next;
    next.LoadFromFile(project);
    EXPECT_EQ(next.Items().Count(), task.Items().Count());
    EXPECT_EQ(next.DoneCount(), task.DoneCount());
    for (TTaskItem *item : task.Items().ToList()) {
        const int index = next.Items().IndexOfURL(item->URL().URI());
        ASSERT_GE(index, 0) << item->URL().URI().toStdString();
        EXPECT_EQ(next.Items().Get(index)->Done(), item->Done()) << item->URL().URI().toStdString();
    }
    EXPECT_FALSE(next.Items().Get(next.Items().IndexOfURL(site.Url("/gone.jpg")))->Done());
    QStringList recovered = next.RecoveredPictures();
    recovered.sort();
    EXPECT_EQ(recovered, (QStringList{dir.path() + "/Saved/a.jpg", dir.path() + "/Saved/b.jpg"}));
}

TEST(ProjectFile, WrittenForItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("secret.wrp");
    WriteBytes(project, "old"); // an older file open to everybody
    QFile(project).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    TTask task;
    task.Options().NeedToLogin = true;
    task.Options().LoginPassword = "secret";
    task.SaveToFile(project);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(project).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(ProjectFile, AbsurdItemCountFailsNamingTheFile)
{
    QTemporaryDir dir;
    struct Case { const char *name; QByteArray lines; };
    const Case cases[] = {
        {"lines.wrp", QByteArray(TTask::kMaxItems + 1, '\n')},
        {"crlf.wrp", QByteArray("0,1,http://h/x\r\n").repeated(TTask::kMaxItems + 1)},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        WriteBytes(path, QByteArray(TTask::kItemsOffset, '\0') + c.lines);
        TTask task;
        try {
            task.LoadFromFile(path);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.message().toStdString();
        }
        EXPECT_EQ(task.Items().Count(), 0);
    }
}

TEST(StaleFiles, RunStartRemovesUnheldTemporaryFilesOfItsFolders)
{
    EnsureApplication();
    QTemporaryDir dir;
    const QString saved = dir.path() + "/Saved/";
    const QString other = dir.path() + "/Other/";
    QDir().mkpath(saved);
    QDir().mkpath(other);
    for (const QString &path : {saved + "old.jpg!!wr", saved + "held.jpg!!wr", dir.path() + "/top.gif!!wr",
                                saved + "keep.jpg", other + "foreign.jpg!!wr"})
        WriteBytes(path, "x");
    // Another program is writing held.jpg: it holds the file.
    const int held = ::open(QFile::encodeName(saved + "held.jpg!!wr").constData(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_TRUE(HoldOpenFile(held, saved + "held.jpg!!wr"));

    TTask task;
    TRecordingViews views;
    views.Attach(task);
    task.URL().SetURI(QStringLiteral("http://127.0.0.1:%1/x.txt").arg(ClosedPort()));
    task.Options().DefaultFolder = dir.path() + "/";
    task.Options().FileMasks = {"jpg, Saved", "gif, Saved"};
    task.Options().SeekDeep = 0;
    int finished = 0;
    task.SetOnFinished([&](TTask *) { ++finished; });
    task.Run();
    ASSERT_TRUE(PumpUntil([&] { return finished == 1; }));
    ::close(held);

    EXPECT_FALSE(QFileInfo::exists(saved + "old.jpg!!wr"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/top.gif!!wr"));
    EXPECT_TRUE(QFileInfo::exists(saved + "held.jpg!!wr")) << "a file being written is never removed";
    EXPECT_TRUE(QFileInfo::exists(saved + "keep.jpg"));
    EXPECT_TRUE(QFileInfo::exists(other + "foreign.jpg!!wr")) << "not a folder of this task";
    EXPECT_TRUE(views.LogMessages().contains("Removed 2 unfinished file(s) of an earlier run"));
}

// A writer holds the file it just made only while it is still the file of
// that name: a clean-up that held it first, or took its name away, makes
// the writer try another name.
TEST(StaleFiles, WriterHoldsOnlyTheFileStillUnderItsName)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a.jpg!!wr";
    const auto open = [&] { return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); };

    const int mine = open();
    ASSERT_GE(mine, 0);
    EXPECT_TRUE(HoldOpenFile(mine, path));
    EXPECT_FALSE(RemoveUnheldFile(path)) << "a held file stays";
    ::close(mine);

    const int cleanup = open();
    ASSERT_TRUE(::flock(cleanup, LOCK_EX | LOCK_NB) == 0);
    const int late = open();
    EXPECT_FALSE(HoldOpenFile(late, path)) << "the clean-up holds it";
    ::close(late);
    ::close(cleanup);

    const int removed = open();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(HoldOpenFile(removed, path)) << "the name went away before the hold";
    ::close(removed);
}

TEST(FileLock, OneHolderAtATimeAndTheRefusalNamesIt)
{
    EnsureApplication();
    QTemporaryDir dir;
    const QString path = LockFileOf(dir.filePath("t.wrp"));
    TFileLock first(path, true);
    TFileLock second(path, true);
    QString holder;
    ASSERT_TRUE(first.TryLock(&holder)) << holder.toStdString();
    EXPECT_FALSE(second.TryLock(&holder));
    EXPECT_EQ(holder, QStringLiteral("%1 (pid %2)").arg(QCoreApplication::applicationName()).arg(::getpid()));
    EXPECT_FALSE(second.Lock(50, &holder));
    EXPECT_TRUE(holder.startsWith("it is locked by ")) << holder.toStdString();
    first.Unlock();
    EXPECT_FALSE(QFileInfo::exists(path)) << "the lock file goes with the lock";
    EXPECT_TRUE(second.TryLock());
    EXPECT_FALSE(first.TryLock());
    second.Unlock();

    TFileLock nowhere(dir.filePath("no/such/folder/t.wrp.lock"));
    EXPECT_FALSE(nowhere.TryLock(&holder));
    EXPECT_TRUE(holder.contains("no/such/folder")) << holder.toStdString();
}

} // namespace
