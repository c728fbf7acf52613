#include "engine/Errors.h"
#include "engine/ItemPriority.h"
#include "engine/ParsedUrl.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskItemList.h"
#include "engine/TaskList.h"

#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

// A task on host w.a.c whose items the test frees with the task.
struct TaskFixture
{
    TTask task;
    explicit TaskFixture(const QString &start = "http://w.a.c/")
    {
        task.URL().SetURI(start);
    }
    TTaskItem *Item(const QString &url) { return new TTaskItem(&task, url); }
    // Adds and frees a refused duplicate, as a worker does.
    int AddSorted(const QString &url)
    {
        TTaskItem *item = Item(url);
        bool added = false;
        const int index = task.Items().AddSorted(item, &added);
        EXPECT_EQ(added, task.Items().Get(index) == item) << url.toStdString();
        if (!added)
            delete item;
        return index;
    }
    QStringList Urls() const
    {
        QStringList urls;
        for (const TTaskItem *item : task.Items().ToList())
            urls << item->URL().URI();
        return urls;
    }
};

// The described list, walked one item at a time; the fast list must agree.
struct ReferenceList
{
    std::vector<std::pair<QString, qint64>> entries;
    int IndexOfURL(const QString &url) const
    {
        for (int i = int(entries.size()) - 1; i >= 0; --i)
            if (entries[i].first == url)
                return i;
        return -1;
    }
    int AddSorted(const QString &url, qint64 priority)
    {
        if (entries.empty()) {
            entries.emplace_back(url, priority);
            return 0;
        }
        if (const int i = IndexOfURL(url); i != -1)
            return i;
        for (int i = 0; i < int(entries.size()); ++i) {
            if (entries[i].second < priority) {
                entries.insert(entries.begin() + i, {url, priority});
                return i;
            }
        }
        entries.emplace_back(url, priority);
        return int(entries.size()) - 1;
    }
    int Add(const QString &url, qint64 priority)
    {
        entries.emplace_back(url, priority);
        return int(entries.size()) - 1;
    }
};

} // namespace

TEST(ParsedUrl, SplitsByTheFixedRules)
{
    struct Case { const char *text, *uri, *protocol, *host, *port, *path, *document, *bookmark; };
    const Case cases[] = {
        {"http://h:8080/x/y/p.jpg", "http://h:8080/x/y/p.jpg", "http", "h", "8080", "/x/y/", "p.jpg", ""},
        {"http://h", "http://h", "http", "h", "", "/", "", ""},
        {"http://h/", "http://h/", "http", "h", "", "/", "", ""},
        {"http://h/l.php?p=2", "http://h/l.php?p=2", "http", "h", "", "/", "l.php?p=2", ""},
        {"http://h/l.php?u=a/b", "http://h/l.php?u=a/b", "http", "h", "", "/l.php?u=a/", "b", ""},
        {"http:\\\\h\\b.jpg", "http://h/b.jpg", "http", "h", "", "/", "b.jpg", ""},
        {"http://h/a/p.htm#top#2", "http://h/a/p.htm#top#2", "http", "h", "", "/a/", "p.htm", "top#2"},
        {"http://h/a#b/c", "http://h/a#b/c", "http", "h", "", "/a#b/", "c", ""},
        {"https://u:p@h:1/", "https://u:p@h:1/", "https", "u", "p@h:1", "/", "", ""},
        {"x/y/z.gif", "x/y/z.gif", "", "", "", "/x/y/", "z.gif", ""},
        {"/abs/z.gif", "/abs/z.gif", "", "", "", "/abs/", "z.gif", ""},
        {"z.gif", "z.gif", "", "", "", "/", "z.gif", ""},
        {"://h/p", "://h/p", "", "h", "", "/", "p", ""},
        {"http://h:/p", "http://h:/p", "http", "h", "", "/", "p", ""},
        {"", "", "", "", "", "", "", ""},
    };
    for (const Case &c : cases) {
        const TParsedUrl url{QString::fromUtf8(c.text)};
        EXPECT_EQ(url.URI(), c.uri) << c.text;
        EXPECT_EQ(url.Protocol(), c.protocol) << c.text;
        EXPECT_EQ(url.Host(), c.host) << c.text;
        EXPECT_EQ(url.Port(), c.port) << c.text;
        EXPECT_EQ(url.Path(), c.path) << c.text;
        EXPECT_EQ(url.Document(), c.document) << c.text;
        EXPECT_EQ(url.Bookmark(), c.bookmark) << c.text;
    }
}

TEST(ParsedUrl, SettingUriSplitsAgain)
{
    TParsedUrl url(QStringLiteral("http://a:1/x/p.jpg#b"));
    url.SetURI(QStringLiteral("q.gif"));
    EXPECT_EQ(url.Host(), "");
    EXPECT_EQ(url.Port(), "");
    EXPECT_EQ(url.Path(), "/");
    EXPECT_EQ(url.Document(), "q.gif");
    EXPECT_EQ(url.Bookmark(), "");
}

TEST(ItemPriority, ParentDomain)
{
    struct Case { const char *host, *parent; };
    const Case cases[] = {{"w.a.c", "a.c"}, {"a.c", "c"}, {"h", ""}, {"a.", ""}, {"", ""},
                          {".c", "c"}, {"W.A.C", "A.C"}, {"a..c", ".c"}};
    for (const Case &c : cases)
        EXPECT_EQ(ParentDomain(c.host), c.parent) << c.host;
}

TEST(ItemPriority, ClassTimesThousandPlusLength)
{
    struct Case { const char *taskHost, *url; qint64 priority; };
    const Case cases[] = {
        {"w.a.c", "http://W.A.C/", 9000 + 13},
        {"w.a.c", "http://i.a.c/", 6000 + 13},
        {"w.a.c", "http://a.c/", 3000 + 11},    // parent "c" against "a.c"
        {"a.c", "http://b.c/x", 6000 + 12},     // both parents "c"
        {"h", "http://g/", 6000 + 9},           // both parents empty
        {"h", "http://g.x/", 3000 + 11},
        {"w.a.c", "rel/p.gif", 3000 + 9},       // no host at all
        {"", "p.gif", 9000 + 5},                // empty hosts are equal
        {"w.a.c", "http://w.a.c/é", 9000 + 15}, // length in UTF-8 bytes
    };
    for (const Case &c : cases)
        EXPECT_EQ(ItemPriority(TParsedUrl(c.url), c.taskHost), c.priority) << c.url;

    // Not capped: a long enough URL of class 3 outranks a short one of class 6.
    const QString longUrl = "http://x.y/" + QString(3100, 'p');
    EXPECT_GT(ItemPriority(TParsedUrl(longUrl), "w.a.c"), ItemPriority(TParsedUrl("http://i.a.c/"), "w.a.c"));
}

TEST(TaskItem, FreshItemAndAssign)
{
    TaskFixture f;
    std::unique_ptr<TTaskItem> item(f.Item("http://w.a.c/p.jpg"));
    EXPECT_EQ(item->Task(), &f.task);
    EXPECT_EQ(item->TaskHost(), "w.a.c");
    EXPECT_EQ(item->Depth(), -1);
    EXPECT_FALSE(item->Done());
    EXPECT_FALSE(item->Running());
    EXPECT_EQ(item->CurrentFile(), "");
    EXPECT_EQ(item->Priority(), 9000 + 18);

    // TaskHost is taken when the item is made, not followed later.
    f.task.URL().SetURI("http://other.org/");
    EXPECT_EQ(item->TaskHost(), "w.a.c");

    TTaskItem copy(nullptr, QString());
    EXPECT_EQ(copy.URL().Path(), "");
    item->SetDone(true);
    item->SetRunning(true);
    item->SetDepth(4);
    item->SetCurrentFile("/tmp/x!!wr");
    copy.Assign(*item);
    EXPECT_TRUE(copy.Done());
    EXPECT_TRUE(copy.Running());
    EXPECT_EQ(copy.Depth(), -1); // not copied
    EXPECT_EQ(copy.CurrentFile(), "/tmp/x!!wr");
    EXPECT_EQ(copy.TaskHost(), "w.a.c");
    EXPECT_EQ(copy.URL().URI(), "http://w.a.c/p.jpg");
    EXPECT_EQ(copy.Priority(), item->Priority());
    EXPECT_THROW(copy.Assign(f.task), EZavelonError);
}

TEST(TaskItemList, AddSortedOrdersByPriorityThenArrival)
{
    TaskFixture f;
    struct Step { const char *url; int index; };
    const Step steps[] = {
        {"http://x.org/a", 0},         // class 3
        {"http://w.a.c/a", 0},         // class 9 goes first
        {"http://i.a.c/a", 1},         // class 6 between
        {"http://w.a.c/bb", 0},        // longer text, same class: before
        {"http://w.a.c/b", 2},         // equal priority to /a: after it
        {"http://w.a.c/a", 1},         // already there: its index, nothing added
        {"http://W.A.C/a", 3},         // differs in case: a new URL
        {"http://y.org/a", 6},         // ties with x.org: after it
    };
    for (const Step &s : steps)
        EXPECT_EQ(f.AddSorted(s.url), s.index) << s.url;
    EXPECT_EQ(f.Urls(), (QStringList{"http://w.a.c/bb", "http://w.a.c/a", "http://w.a.c/b", "http://W.A.C/a",
                                     "http://i.a.c/a", "http://x.org/a", "http://y.org/a"}));
    EXPECT_TRUE(f.task.Items().IsPriorityOrdered());

    const TTaskItemList &items = f.task.Items();
    EXPECT_EQ(items.IndexOfURL("http://w.a.c/b"), 2);
    EXPECT_EQ(items.IndexOfURL("http://W.A.C/a"), 3);
    EXPECT_EQ(items.IndexOfURL("http://w.a.c/B"), -1);
    EXPECT_EQ(items.IndexOfURL(""), -1);
    EXPECT_EQ(items.Count(), 7);
    EXPECT_THROW(items.Get(7), EZavelonError);
    EXPECT_THROW(items.Get(-1), EZavelonError);
}

TEST(TaskItemList, AgreesWithTheDescribedWalks)
{
    // Random mixes of Add (as loading does, possibly out of order) and
    // AddSorted (as workers do), with repeated URLs, against the plain walks.
    const QStringList hosts = {"w.a.c", "W.A.C", "i.a.c", "a.c", "x.org", "y"};
    for (const bool startUnordered : {false, true}) {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            std::mt19937 random(seed);
            TaskFixture f;
            ReferenceList reference;
            const int loaded = startUnordered ? 30 : 0;
            for (int step = 0; step < 400; ++step) {
                const QString url = QStringLiteral("http://%1/%2").arg(hosts[random() % hosts.size()],
                                                                       QString(random() % 4, 'p') + QString::number(random() % 60));
                TTaskItem *item = f.Item(url);
                const bool add = step < loaded || random() % 50 == 0;
                const int expected = add ? reference.Add(url, item->Priority())
                                         : reference.AddSorted(url, item->Priority());
                const int index = add ? f.task.Items().Add(item) : f.task.Items().AddSorted(item);
                ASSERT_EQ(index, expected) << "seed " << seed << " step " << step << " " << url.toStdString();
                if (f.task.Items().Get(index) != item)
                    delete item;
                const QString probe = QStringLiteral("http://%1/%2").arg(hosts[random() % hosts.size()]).arg(random() % 60);
                ASSERT_EQ(f.task.Items().IndexOfURL(probe), reference.IndexOfURL(probe)) << probe.toStdString();
            }
            QStringList expectedUrls;
            for (const auto &entry : reference.entries)
                expectedUrls << entry.first;
            ASSERT_EQ(f.Urls(), expectedUrls) << "seed " << seed;
            for (int i = 0; i < f.task.Items().Count(); ++i)
                ASSERT_EQ(f.task.Items().Get(i)->URL().URI(), expectedUrls[i]);
        }
    }
}

TEST(TaskItemList, OutOfOrderAddFallsBackToTheWalk)
{
    TaskFixture f;
    QStringList urls;
    // A hand-made file: low priority first, and a repeated URL.
    for (const char *url : {"http://x.org/1", "http://w.a.c/1", "http://x.org/1", "http://w.a.c/22"})
        f.task.Items().Add(f.Item(url));
    EXPECT_FALSE(f.task.Items().IsPriorityOrdered());
    EXPECT_EQ(f.task.Items().IndexOfURL("http://x.org/1"), 2); // the last one
    // The walk stops at the first entry of lower priority: index 0 here.
    EXPECT_EQ(f.AddSorted("http://i.a.c/1"), 0);
    EXPECT_EQ(f.AddSorted("http://x.org/1"), 3);
    f.task.Items().DeleteAll();
    EXPECT_TRUE(f.task.Items().IsPriorityOrdered());
    EXPECT_EQ(f.task.Items().Count(), 0);
}

TEST(TaskItemList, AssignCopiesItemsIntoThisTask)
{
    TaskFixture source;
    source.task.Items().Add(source.Item("http://x.org/1"));
    source.task.Items().Add(source.Item("http://w.a.c/1"));
    source.task.Items().Add(source.Item("http://w.a.c/1"));
    source.task.Items().Get(1)->SetDone(true);
    source.task.Items().Get(1)->SetDepth(3);

    TaskFixture target("http://elsewhere/");
    target.AddSorted("http://old/");
    target.task.Items().Assign(source.task.Items());
    EXPECT_EQ(target.Urls(), (QStringList{"http://w.a.c/1", "http://x.org/1"}));
    const TTaskItem *copy = target.task.Items().Get(0);
    EXPECT_EQ(copy->Task(), &target.task);
    EXPECT_EQ(copy->TaskHost(), "w.a.c");
    EXPECT_TRUE(copy->Done());
    EXPECT_EQ(copy->Depth(), -1);
    EXPECT_THROW(target.task.Items().Assign(target.task), EZavelonError);
}

TEST(Task, FreshTaskAndAssign)
{
    TTask fresh;
    EXPECT_EQ(fresh.Name(), "<noname>");
    EXPECT_TRUE(fresh.Stopped());
    EXPECT_FALSE(fresh.Stopping());
    EXPECT_FALSE(fresh.Shown());
    EXPECT_EQ(fresh.DoneCount(), 0);
    EXPECT_EQ(fresh.Items().Count(), 0);
    EXPECT_EQ(fresh.ID(), "");
    EXPECT_EQ(fresh.URL().URI(), "");
    EXPECT_EQ(fresh.Options().SeekDeep, 5);

    TaskFixture source;
    source.task.SetName("Pictures");
    source.task.SetNote("note");
    source.task.SetID("{ID}");
    source.task.SetFileName("/p/Pictures.wrp");
    source.task.SetStopped(false);
    source.task.SetDoneCount(4);
    source.task.Options().SeekDeep = 2;
    source.AddSorted("http://w.a.c/x.jpg");

    TTask copy;
    copy.Assign(source.task);
    EXPECT_EQ(copy.Name(), "Pictures");
    EXPECT_EQ(copy.Note(), "note");
    EXPECT_EQ(copy.URL().Host(), "w.a.c");
    EXPECT_EQ(copy.FileName(), "/p/Pictures.wrp");
    EXPECT_FALSE(copy.Stopped());
    EXPECT_EQ(copy.ID(), "");        // identity is not copied
    EXPECT_EQ(copy.DoneCount(), 0);  // nor the run count
    EXPECT_EQ(copy.Options().SeekDeep, 2);
    ASSERT_EQ(copy.Items().Count(), 1);
    EXPECT_EQ(copy.Items().Get(0)->Task(), &copy);
    EXPECT_THROW(copy.Assign(copy.Options()), EZavelonError);
}

TEST(TaskList, LookupsAndRunningCount)
{
    TTaskList list;
    const struct { const char *id, *file; bool stopped; } tasks[] = {
        {"{A}", "/p/a.wrp", true}, {"{B}", "/p/b.wrp", false}, {"{A}", "/p/c.wrp", false}};
    for (const auto &t : tasks) {
        auto *task = new TTask;
        task->SetID(t.id);
        task->SetFileName(t.file);
        task->SetStopped(t.stopped);
        task->SetShown(true);
        const int index = list.Add(task);
        EXPECT_EQ(index, list.Count() - 1);
    }
    EXPECT_EQ(list.IndexOfID("{A}"), 0);
    EXPECT_EQ(list.IndexOfID("{a}"), -1);
    EXPECT_EQ(list.IndexOfFileName("/p/c.wrp"), 2);
    EXPECT_EQ(list.IndexOfFileName("/P/c.wrp"), -1);
    EXPECT_EQ(list.RunningCount(), 2);
    list.HideAll();
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_FALSE(list.Get(i)->Shown());
    EXPECT_THROW(list.Get(3), EZavelonError);

    TTaskList copy;
    copy.Assign(list);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_NE(copy.Get(0), list.Get(0));
    EXPECT_EQ(copy.IndexOfFileName("/p/b.wrp"), 1);
    EXPECT_EQ(copy.RunningCount(), 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(copy.Assign(*copy.Get(0)), EZavelonError);
}

TEST(TaskItemList, WorkersAddingAtOnceKeepOneItemPerUrlInOrder)
{
    // Four threads queue overlapping link sets, as the workers of a task do.
    // (Also a case for the thread sanitizer build.)
    TaskFixture f;
    constexpr int kThreads = 4;
    constexpr int kLinks = 1500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&f, t] {
            for (int i = 0; i < kLinks; ++i) {
                const int n = (i * 7 + t * 500) % 3000; // overlapping ranges
                const QString host = n % 3 == 0 ? "w.a.c" : n % 3 == 1 ? "i.a.c" : "x.org";
                TTaskItem *item = new TTaskItem(&f.task, QStringLiteral("http://%1/%2").arg(host).arg(n));
                bool added = false;
                f.task.Items().AddSorted(item, &added);
                if (!added)
                    delete item;
                f.task.Items().IndexOfURL(QStringLiteral("http://x.org/1"));
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    const QList<TTaskItem *> items = f.task.Items().ToList();
    QSet<QString> seen;
    for (int i = 0; i < items.size(); ++i) {
        const QString url = items[i]->URL().URI();
        EXPECT_FALSE(seen.contains(url)) << url.toStdString();
        seen.insert(url);
        EXPECT_EQ(f.task.Items().IndexOfURL(url), i);
        if (i > 0) {
            EXPECT_GE(items[i - 1]->Priority(), items[i]->Priority()) << i;
        }
    }
    QSet<QString> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLinks; ++i) {
            const int n = (i * 7 + t * 500) % 3000;
            expected.insert(QStringLiteral("http://%1/%2").arg(n % 3 == 0 ? "w.a.c" : n % 3 == 1 ? "i.a.c" : "x.org").arg(n));
        }
    }
    EXPECT_EQ(seen, expected);
}
