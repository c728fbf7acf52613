// A task crawling a local site: the worker's decisions, its log and progress,
// its files, and the dispatch that keeps workers busy and stops them.
#include "engine/HttpClient.h"
#include "engine/PageLock.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"
#include "engine/TestSite.h"
#include "engine/WorkerHarness.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace {

QByteArray Html(const QStringList &links)
{
    QByteArray html = "<html><body>\n";
    for (const QString &link : links)
        html += "<a href=\"" + link.toUtf8() + "\">x</a>\n";
    return html + "</body></html>\n";
}

QByteArray Bytes(qint64 size, char fill = 'p')
{
    return QByteArray(size, fill);
}

std::string Basic(const char *user, const char *password)
{
    return "Basic " + (QByteArray(user) + ':' + password).toBase64().toStdString();
}

// One task over the test site, with recording views, saving into a
// temporary folder.
class TRun
{
public:
    explicit TRun(const QString &folder)
    {
        EnsureApplication();
        views.Attach(task);
        task.SetShown(true);
        TRegOptions &options = task.Options();
        options.DefaultFolder = folder;
        options.FileMasks = QStringList{"jpg, Saved", "gif, Saved"};
        options.ExcludeFiles.clear();
        options.EnableFileLimit = false;
        options.SeekDeep = 5;
        task.SetOnFinished([this](TTask *finishedTask) {
            EXPECT_EQ(finishedTask, &task);
            ++finished;
        });
    }

    ~TRun()
    {
        if (!task.Stopped())
            task.Stop();
        // No worker of one test may outlive it.
        EXPECT_TRUE(TTaskThread::WaitForAll(20000));
    }

    void Start(const QString &url)
    {
        task.URL().SetURI(url);
        task.Run();
    }

    bool ToEnd()
    {
        const bool ended = PumpUntil([&] { return finished > 0; });
        PumpFor(20); // anything still due would show now
        return ended;
    }

    bool Crawl(const QString &url)
    {
        Start(url);
        return ToEnd();
    }

    TTaskItem *ItemOf(const QString &url) const
    {
        const int index = task.Items().IndexOfURL(url);
        return index < 0 ? nullptr : task.Items().Get(index);
    }

    std::map<QString, int> Depths() const
    {
        std::map<QString, int> depths;
        for (TTaskItem *item : task.Items().ToList())
            depths[item->URL().URI()] = item->Depth();
        return depths;
    }

    TTask task;
    TRecordingViews views;
    int finished = 0;
};

class TaskRunTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(temporary.isValid()); }

    QString Folder() const { return temporary.path() + QLatin1Char('/'); }

    QStringList Files(const QString &sub = QStringLiteral("Saved")) const
    {
        QStringList names = QDir(Folder() + sub).entryList(QDir::Files);
        names.sort();
        return names;
    }

    QByteArray Content(const QString &path) const
    {
        QFile file(Folder() + path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList Gets() const
    {
        QStringList gets;
        for (const QString &request : site.Requests())
            if (request.startsWith(QLatin1String("GET ")))
                gets << request.mid(4);
        return gets;
    }

    TTestSite site;
    QTemporaryDir temporary;
};

// ---- The worker's decisions ------------------------------------------------

TEST_F(TaskRunTest, ExtensionDecidesBetweenPagePictureAndNothing)
{
    struct Link { const char *target; bool requested; bool saved; };
    const Link links[] = {
        {"/a.jpg", true, true},         // picture with a mask
        {"/b.GIF", true, true},         // mask found whatever the letter case
        {"/c.png", false, false},       // picture without a mask
        {"/l.php?p=2", false, false},   // extension ".php?p=2": neither page nor mask
        {"/doc.txt", false, false},
        {"/next.htm", true, false},     // page, scanned
        {"/plain", true, false},        // no extension: a page
    };
    QStringList hrefs;
    for (const Link &link : links) {
        hrefs << QString::fromLatin1(link.target).mid(1);
        site.File(link.target, Bytes(100));
    }
    site.Page("/next.htm", Html({}));
    site.Page("/plain", Html({}));
    site.Page("/index.html", Html(hrefs));
    TRun run(Folder());
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    for (const Link &link : links) {
        EXPECT_EQ(site.RequestCount(link.target) > 0, link.requested) << link.target;
        const QString name = QString::fromLatin1(link.target).mid(1);
        EXPECT_EQ(run.views.LogMessages().contains(QStringLiteral("File \"%1\" saved").arg(name)), link.saved)
            << link.target;
    }
    EXPECT_EQ(Files(), (QStringList{"a.jpg", "b.GIF"}));
    EXPECT_EQ(run.task.DoneCount(), run.task.Items().Count());
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(run.task.Stopped());
}

TEST_F(TaskRunTest, SeekDeepDecidesWhichPagesAreScanned)
{
    site.Page("/index.html", Html({"a.jpg", "p1.html"}));
    site.Page("/p1.html", Html({"b.jpg", "p2.html"}));
    site.Page("/p2.html", Html({"c.jpg"}));
    for (const char *picture : {"/a.jpg", "/b.jpg", "/c.jpg"})
        site.File(picture, Bytes(50));
    struct Case { int seekDeep; QStringList pages; QStringList saved; int items; };
    const Case cases[] = {
        {0, {}, {}, 1},
        {1, {"/index.html"}, {"a.jpg"}, 3},
        {2, {"/index.html", "/p1.html"}, {"a.jpg", "b.jpg"}, 5},
        {3, {"/index.html", "/p1.html", "/p2.html"}, {"a.jpg", "b.jpg", "c.jpg"}, 6},
    };
    for (const Case &c : cases) {
        QTemporaryDir folder;
        TRun run(folder.path() + QLatin1Char('/'));
        run.task.Options().SeekDeep = c.seekDeep;
        const int before = site.Requests().size();
        ASSERT_TRUE(run.Crawl(site.Url("/index.html"))) << c.seekDeep;
        QStringList pages;
        for (const QString &request : site.Requests().mid(before))
            if (request.endsWith(QLatin1String(".html")))
                pages << request.mid(4);
        pages.sort();
        EXPECT_EQ(pages, c.pages) << c.seekDeep;
        QStringList saved = QDir(folder.path() + "/Saved").entryList(QDir::Files);
        saved.sort();
        EXPECT_EQ(saved, c.saved) << c.seekDeep;
        EXPECT_EQ(run.task.Items().Count(), c.items) << c.seekDeep;
        EXPECT_EQ(run.task.DoneCount(), c.items) << c.seekDeep;
        if (c.seekDeep == 2) { // found on a page of depth 1: queued at 2, not fetched
            EXPECT_EQ(run.Depths()[site.Url("/p2.html")], 2);
        }
    }
}

TEST_F(TaskRunTest, PictureAsStartUrlIsSavedEvenWithSeekDeepZero)
{
    site.File("/start.jpg", Bytes(70));
    TRun run(Folder());
    run.task.Options().SeekDeep = 0;
    ASSERT_TRUE(run.Crawl(site.Url("/start.jpg")));
    EXPECT_EQ(Files(), QStringList{"start.jpg"});
    EXPECT_EQ(Content("Saved/start.jpg"), Bytes(70));
}

TEST_F(TaskRunTest, LinksOfOtherSitesFollowTheHostFamilyRule)
{
    // The test site plays an HTTP proxy, so no other host is ever contacted.
    site.Require("Proxy-Authorization", QString::fromStdString(Basic("pat", "pw")), 407);
    site.Page("http://w.a.c/index.html", Html({"http://x.a.c/", "http://y.b.c/", "http://y.b.c/p.jpg",
                                               "http://y.b.c/dir/", "http://x.a.c/q.jpg"}));
    site.File("http://y.b.c/p.jpg", Bytes(10));
    site.File("http://x.a.c/q.jpg", Bytes(20));
    TRun run(Folder());
    TRegOptions &options = run.task.Options();
    options.SeekDeep = 1;
    options.UseProxyServer = true;
    options.ProxyServerAddr = "127.0.0.1";
    options.ProxyServerPort = site.Port();
    options.ProxyLoginUserName = "pat";
    options.ProxyLoginPassword = "pw";
    ASSERT_TRUE(run.Crawl("http://w.a.c/index.html"));
    EXPECT_EQ(run.Depths(), (std::map<QString, int>{{"http://w.a.c/index.html", 0},
                                                    {"http://x.a.c", 1},
                                                    {"http://y.b.c/p.jpg", 1},
                                                    {"http://y.b.c/dir", 1},
                                                    {"http://x.a.c/q.jpg", 1}}));
    EXPECT_EQ(Files(), (QStringList{"p.jpg", "q.jpg"}));
}

TEST_F(TaskRunTest, DirectoryWithoutSlashIsFetchedAgainWithSlash)
{
    site.Status("/dir", 301, "/dir/");
    site.Page("/dir/", Html({"pic.jpg"}));
    site.File("/dir/pic.jpg", Bytes(30));
    TRun run(Folder());
    ASSERT_TRUE(run.Crawl(site.Url("/dir")));
    EXPECT_EQ(Gets(), (QStringList{"/dir", "/dir/", "/dir/pic.jpg"}));
    EXPECT_EQ(run.views.LogMessages().filter("Attach").size(), 1); // no line for the second try
    EXPECT_EQ(run.views.LogMessages().first(), QStringLiteral("Attach \"%1\"").arg(site.Url("/dir")));
    EXPECT_EQ(Files(), QStringList{"pic.jpg"});
}

TEST_F(TaskRunTest, SizeLimitsAreExclusiveAndNeedALength)
{
    site.File("/s10240.jpg", Bytes(10240));
    site.File("/s10241.jpg", Bytes(10241));
    site.Lying("/s10485760.jpg", 10485760, Bytes(10));
    site.File("/nolength.jpg", Bytes(20000), false);
    site.Page("/index.html", Html({"s10240.jpg", "s10241.jpg", "s10485760.jpg", "nolength.jpg"}));
    TRun run(Folder());
    TRegOptions &options = run.task.Options();
    options.EnableFileLimit = true;
    options.FileMinSize = 10;
    options.FileMaxSize = 10240;
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(Files(), QStringList{"s10241.jpg"});
    // One GET per picture decides by its own announced length; only the
    // picture whose GET announces none is asked about with a HEAD.
    QStringList gets = Gets();
    gets.sort();
    EXPECT_EQ(gets, (QStringList{"/index.html", "/nolength.jpg", "/s10240.jpg", "/s10241.jpg", "/s10485760.jpg"}));
    EXPECT_EQ(site.Requests().filter(QRegularExpression("^HEAD ")), QStringList{"HEAD /nolength.jpg"});
}

// With the size limit on, the picture's GET decides from its response
// headers: the folder, the file and the "Saving file" line come only for a
// picture inside the limits, and one outside them costs no more than its
// headers. A response without a length falls back to the HEAD rule.
TEST_F(TaskRunTest, SizeLimitDecidesOnTheResponseHeaders)
{
    constexpr qint64 KB = 1024;
    enum TOutcome { Saved, Skipped, SkippedTooLarge, Failed };
    struct Case {
        const char *name;
        std::function<void(TTestSite &, const QString &)> serve;
        TOutcome outcome;
        int heads;
        QString failure; // the cause in the failure line
    };
    const Case cases[] = {
        {"inside.jpg", [](TTestSite &s, const QString &t) { s.File(t, Bytes(50 * KB)); }, Saved, 0, {}},
        {"over.jpg", [](TTestSite &s, const QString &t) { s.Streamed(t, 64 * 1024 * KB); }, Skipped, 0, {}},
        {"under.jpg", [](TTestSite &s, const QString &t) { s.File(t, Bytes(5 * KB)); }, Skipped, 0, {}},
        {"empty.jpg", [](TTestSite &s, const QString &t) { s.File(t, QByteArray()); }, Skipped, 0, {}},
        {"chunked.jpg", [](TTestSite &s, const QString &t) { s.File(t, Bytes(50 * KB), false); }, Skipped, 1, {}},
        // A server that knows the length only when asked with HEAD.
        {"headknows.jpg", [](TTestSite &s, const QString &t) { s.Lying(t, 50 * KB, Bytes(50 * KB), false); },
         Saved, 1, {}},
        {"headlies.jpg", [](TTestSite &s, const QString &t) { s.Lying(t, 50 * KB, Bytes(400 * KB), false); },
         SkippedTooLarge, 1, {}},
        // The GET's own length counts, whatever HEAD would say.
        {"headsmall.jpg", [](TTestSite &s, const QString &t) { s.Lying(t, 50 * KB, Bytes(400 * KB)); },
         Skipped, 0, {}},
        {"nohead.jpg",
         [](TTestSite &s, const QString &t) {
             s.File(t, Bytes(50 * KB));
             s.RefuseHead(t, 405);
         },
         Saved, 0, {}},
        {"gone.jpg", [](TTestSite &, const QString &) {}, Failed, 0, "HTTP status 404"},
        {"moved.jpg", [](TTestSite &s, const QString &t) { s.Status(t, 302, "/inside.jpg"); }, Failed, 0,
         "HTTP status 302"},
    };
    QStringList hrefs;
    for (const Case &c : cases) {
        c.serve(site, QLatin1Char('/') + QLatin1String(c.name));
        hrefs << QLatin1String(c.name);
    }
    site.Page("/index.html", Html(hrefs));
    TRun run(Folder());
    TRegOptions &options = run.task.Options();
    options.EnableFileLimit = true;
    options.FileMinSize = 10;
    options.FileMaxSize = 100;
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));

    QStringList saved;
    for (const Case &c : cases) {
        const QString name = QLatin1String(c.name);
        const QString url = site.Url(QLatin1Char('/') + name);
        QStringList expected;
        switch (c.outcome) {
        case Saved:
            saved << name;
            expected = {QStringLiteral("Saving file \"%1!!wr\"").arg(name), QStringLiteral("File \"%1\" saved").arg(name)};
            break;
        case Skipped:
            break;
        case SkippedTooLarge:
            expected = {QStringLiteral("Saving file \"%1!!wr\"").arg(name),
                        QStringLiteral("File \"%1\" skipped: larger than 100 KB").arg(url)};
            break;
        case Failed:
            expected = {QStringLiteral("Cannot fetch file \"%1\": %2").arg(url, c.failure)};
            break;
        }
        EXPECT_EQ(run.views.LogMessages().filter(name), expected) << c.name;
        EXPECT_EQ(site.Requests().filter(QRegularExpression("^HEAD /" + QRegularExpression::escape(name) + "$")).size(),
                  c.heads)
            << c.name;
        TTaskItem *item = run.ItemOf(url);
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->Failed(), c.outcome == Failed) << c.name;
        EXPECT_EQ(item->Done(), c.outcome != Failed) << c.name;
    }
    saved.sort();
    EXPECT_EQ(Files(), saved); // no "!!wr" left behind
    EXPECT_EQ(Content("Saved/headknows.jpg"), Bytes(50 * KB));
    // The refused picture's connection was closed after its headers; the
    // server could hand over only what the sockets buffer.
    EXPECT_LT(site.SentBytes("/over.jpg"), 16 * 1024 * KB);
    EXPECT_EQ(run.task.PicturesSaved(), 3);
    EXPECT_EQ(run.task.PicturesFailed(), 2);
}

TEST_F(TaskRunTest, BodyGrowingPastTheLimitIsAbandonedWhateverHeadSaid)
{
    site.Lying("/liar.jpg", 20000, Bytes(400 * 1024));
    site.Lying("/honest.jpg", 20000, Bytes(20000));
    site.Page("/index.html", Html({"liar.jpg", "honest.jpg"}));
    TRun run(Folder());
    TRegOptions &options = run.task.Options();
    options.EnableFileLimit = true;
    options.FileMinSize = 1;
    options.FileMaxSize = 100;
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(Files(), QStringList{"honest.jpg"});
    EXPECT_FALSE(run.views.LogMessages().contains("File \"liar.jpg\" saved"));
}

TEST_F(TaskRunTest, ExcludedNamesAreNeverRequested)
{
    for (const char *target : {"/skip.jpg", "/SKIP.JPG", "/keep.jpg"})
        site.File(target, Bytes(10));
    site.Page("/index.html", Html({"skip.jpg", "SKIP.JPG", "keep.jpg"}));
    TRun run(Folder());
    run.task.Options().ExcludeFiles = QStringList{"skip.jpg"};
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(Gets(), (QStringList{"/index.html", "/keep.jpg"}));
    EXPECT_EQ(Files(), QStringList{"keep.jpg"});
}

TEST_F(TaskRunTest, SiteLoginGoesWithEveryRequest)
{
    site.Require("Authorization", QString::fromStdString(Basic("ann", "secret")), 401);
    site.Page("/index.html", Html({"a.jpg"}));
    site.File("/a.jpg", Bytes(10));
    TRun run(Folder());
    TRegOptions &options = run.task.Options();
    options.NeedToLogin = true;
    options.LoginUserName = "ann";
    options.LoginPassword = "secret";
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(Files(), QStringList{"a.jpg"});
}

TEST_F(TaskRunTest, RedirectedOrMissingPictureIsAFailureThatLeavesNoFile)
{
    site.Status("/moved.jpg", 302, "/a.jpg");
    site.File("/a.jpg", Bytes(10));
    site.Page("/index.html", Html({"moved.jpg", "gone.jpg"}));
    TRun run(Folder());
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(site.RequestCount("/a.jpg"), 0);
    EXPECT_EQ(Files(), QStringList{}); // no "!!wr" left behind either
    // Failures, not successes: logged with their status, counted, and kept
    // waiting for the next run.
    for (const char *target : {"/moved.jpg", "/gone.jpg"}) {
        TTaskItem *item = run.ItemOf(site.Url(target));
        EXPECT_FALSE(item->Done()) << target;
        EXPECT_TRUE(item->Failed()) << target;
    }
    const QStringList log = run.views.LogMessages();
    EXPECT_TRUE(log.contains(QStringLiteral("Cannot fetch file \"%1\": HTTP status 302").arg(site.Url("/moved.jpg"))));
    EXPECT_TRUE(log.contains(QStringLiteral("Cannot fetch file \"%1\": HTTP status 404").arg(site.Url("/gone.jpg"))));
    EXPECT_EQ(log.filter("saved").size(), 0);
    EXPECT_EQ(run.task.PicturesFailed(), 2);
    EXPECT_EQ(run.task.PicturesSaved(), 0);
    EXPECT_EQ(run.task.RunCounts().LocalFailures, 0);
    EXPECT_EQ(run.task.DoneCount(), 1);
}

TEST(TaskRun, HttpsSiteIsCrawled)
{
    TTlsTestSite site;
    site.Page("/index.html", Html({"a.jpg"}));
    site.File("/a.jpg", Bytes(40));
    QTemporaryDir folder;
    THttpClient::TrustCertificates(site.CertificatePem());
    {
        TRun run(folder.path() + QLatin1Char('/'));
        ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    }
    THttpClient::TrustCertificates(QByteArray());
    EXPECT_EQ(QDir(folder.path() + "/Saved").entryList(QDir::Files), QStringList{"a.jpg"});
}

// ---- Files -----------------------------------------------------------------

TEST_F(TaskRunTest, PagesAreSavedOnlyWithAMaskForTheirType)
{
    site.Page("/", "line one\nline two\r\nline three\rend");
    site.Page("/site/doc", Html({}));
    site.Page("/site/a.html", Html({}));
    site.Page("/site/p.htm", Html({}));
    site.Page("/site/", Html({"a.html", "doc", "p.htm"}));
    TRun run(Folder());
    run.task.Options().FileMasks = QStringList{"html, Pages", "jpg, Saved"};
    run.task.Options().SeekDeep = 1;
    ASSERT_TRUE(run.Crawl(site.Url("/")));
    EXPECT_EQ(Files("Pages"), QStringList{"index.html"});
    EXPECT_EQ(Content("Pages/index.html"), "line one\r\nline two\r\nline three\r\nend\r\n");

    QTemporaryDir second;
    TRun deeper(second.path() + QLatin1Char('/'));
    deeper.task.Options().FileMasks = QStringList{"html, Pages"};
    deeper.task.Options().SeekDeep = 2;
    ASSERT_TRUE(deeper.Crawl(site.Url("/site/")));
    QStringList pages = QDir(second.path() + "/Pages").entryList(QDir::Files);
    pages.sort();
    // "/site/" and "doc" have no extension (html stands for them); p.htm has no mask.
    EXPECT_EQ(pages, (QStringList{"a.html", "doc.html", "index.html"}));
}

TEST_F(TaskRunTest, PageThatCannotBeSavedQueuesNoLinks)
{
    site.Page("/index.html", Html({"a.jpg"}));
    QFile blocker(Folder() + "Pages");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    TRun run(Folder());
    run.task.Options().FileMasks = QStringList{"html, Pages", "jpg, Saved"};
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(run.task.Items().Count(), 1);
    EXPECT_EQ(run.views.LogMessages().filter("Links found").size(), 0);
}

TEST_F(TaskRunTest, NameClashGetsANumber)
{
    QDir().mkpath(Folder() + "Saved");
    QFile present(Folder() + "Saved/pic.jpg");
    ASSERT_TRUE(present.open(QIODevice::WriteOnly));
    present.close();
    site.File("/pic.jpg", Bytes(33));
    TRun run(Folder());
    ASSERT_TRUE(run.Crawl(site.Url("/pic.jpg")));
    EXPECT_EQ(Files(), (QStringList{"pic.jpg", "pic[0].jpg"}));
    EXPECT_EQ(Content("Saved/pic[0].jpg"), Bytes(33));
    EXPECT_TRUE(run.views.LogMessages().contains("File \"pic[0].jpg\" saved"));
}

TEST_F(TaskRunTest, SameNameIsKeptWhileTheFirstIsBeingWritten)
{
    // /a/same.jpg stays half-sent until /b/same.jpg, found on a later page,
    // has been saved: the second picture of the name takes the next one.
    site.Held("/a/same.jpg", Bytes(5000, 'a'), 100);
    site.File("/b/same.jpg", Bytes(5000, 'b'));
    site.Page("/index.html", Html({"a/same.jpg", "later.html"}));
    site.Page("/later.html", Html({"b/same.jpg"}));
    std::mutex lock;
    std::condition_variable firstWriting;
    bool writing = false;
    site.OnRequest("/later.html", [&] {
        std::unique_lock<std::mutex> guard(lock);
        firstWriting.wait_for(guard, std::chrono::seconds(20), [&] { return writing; });
    });
    TRun run(Folder());
    run.views.OnEvent = [&](const QString &event) {
        if (event == "log Saving file \"same.jpg!!wr\"") {
            {
                std::lock_guard<std::mutex> guard(lock);
                writing = true;
            }
            firstWriting.notify_all();
        }
    };
    run.Start(site.Url("/index.html"));
    ASSERT_TRUE(PumpUntil([&] {
        TTaskItem *second = run.ItemOf(site.Url("/b/same.jpg"));
        return second && second->Done();
    }));
    EXPECT_TRUE(run.views.LogMessages().contains("File \"same[0].jpg\" saved"));
    site.Release("/a/same.jpg");
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(Files(), (QStringList{"same.jpg", "same[0].jpg"}));
    EXPECT_EQ(Content("Saved/same.jpg"), Bytes(5000, 'a'));
    EXPECT_EQ(Content("Saved/same[0].jpg"), Bytes(5000, 'b'));
    EXPECT_EQ(run.task.PicturesSaved(), 2);
}

// ---- Log and progress ------------------------------------------------------

TEST_F(TaskRunTest, LogTellsEachStepInOrder)
{
    site.Page("/index.html", Html({"a.jpg", "a.jpg", "r.jpg"}));
    site.File("/a.jpg", Bytes(10));
    site.File("/r.jpg", Bytes(10));
    // The final name appears while r.jpg is downloaded: the picture takes
    // the next free name instead of replacing that file.
    site.OnRequest("/r.jpg", [&] {
        QFile taken(Folder() + "Saved/r.jpg");
        taken.open(QIODevice::WriteOnly);
    });
    TRun run(Folder());
    run.task.SetShown(false); // logs come whether the task is shown or not
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    const QStringList log = run.views.LogMessages();
    const QString attach = QStringLiteral("Attach \"%1\"").arg(site.Url("/index.html"));
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.mid(0, 2), (QStringList{attach, "Links found : 3"})); // duplicates counted
    const qsizetype saving = log.indexOf("Saving file \"a.jpg!!wr\"");
    ASSERT_GE(saving, 2);
    EXPECT_GT(log.indexOf("File \"a.jpg\" saved"), saving);
    EXPECT_TRUE(log.contains("Saving file \"r.jpg!!wr\""));
    EXPECT_GT(log.indexOf("File \"r[0].jpg\" saved"), log.indexOf("Saving file \"r.jpg!!wr\""));
    EXPECT_EQ(Files(), (QStringList{"a.jpg", "r.jpg", "r[0].jpg"}));
    EXPECT_EQ(Content("Saved/r.jpg"), QByteArray()) << "the other file is left as it was";
    EXPECT_TRUE(run.views.EventsStartingWith("add").isEmpty());
    EXPECT_TRUE(run.views.EventsStartingWith("picture").isEmpty());
}

// A saved picture's row and its "saved" line reach the views in this order,
// and a picture view that fails does not cost the log its line.
TEST_F(TaskRunTest, SavedPictureGetsItsRowThenItsLogLineEvenWhenTheRowFails)
{
    site.Page("/index.html", Html({"a.jpg"}));
    site.File("/a.jpg", Bytes(10));
    TRun run(Folder());
    run.views.OnEvent = [](const QString &event) {
        if (event.startsWith("picture "))
            throw std::runtime_error("the picture view fails");
    };
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    const std::vector<QString> &events = run.views.Events;
    const auto row = std::find_if(events.begin(), events.end(),
                                  [](const QString &event) { return event.startsWith("picture a.jpg "); });
    const auto saved = std::find(events.begin(), events.end(), QStringLiteral("log File \"a.jpg\" saved"));
    ASSERT_NE(row, events.end());
    ASSERT_NE(saved, events.end());
    EXPECT_LT(row, saved);
}

TEST_F(TaskRunTest, ProgressShowsTheAnnouncedLengthAndPercentage)
{
    site.Held("/p.jpg", Bytes(2048), 512);
    site.File("/chunked.jpg", Bytes(3000), false);
    site.Page("/index.html", Html({"p.jpg", "chunked.jpg"}));
    TRun run(Folder());
    const QString quarter = QStringLiteral("progress %1 2048 25%").arg(site.Url("/p.jpg"));
    run.views.OnEvent = [&](const QString &event) {
        if (event == quarter)
            site.Release("/p.jpg");
    };
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    const QStringList progress = run.views.EventsStartingWith("progress " + site.Url("/p.jpg"));
    EXPECT_TRUE(progress.contains(quarter)) << progress.join('\n').toStdString();
    EXPECT_EQ(progress.last(), QStringLiteral("progress %1 2048 100%").arg(site.Url("/p.jpg")));
    const QStringList chunked = run.views.EventsStartingWith("progress " + site.Url("/chunked.jpg"));
    ASSERT_FALSE(chunked.isEmpty());
    for (const QString &event : chunked)
        EXPECT_TRUE(event.endsWith(" --- ---")) << event.toStdString();
}

TEST(TaskThread, ExtensionAndTextLines)
{
    struct Ext { const char *name; const char *extension; };
    for (const Ext &c : {Ext{"p.jpg", ".jpg"}, Ext{"a.b.GIF", ".GIF"}, Ext{"l.php?p=2", ".php?p=2"},
                         Ext{"show.php?img=a.jpg", ".jpg"}, Ext{"readme", ""}, Ext{"", ""},
                         Ext{"mailto:m", ""}, Ext{"x.y:z", ""}, Ext{"a.", "."}})
        EXPECT_EQ(TTaskThread::ExtractFileExt(c.name), c.extension) << c.name;

    struct Lines { QByteArray text; QByteArray lines; };
    const Lines cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\n", "a\r\n"},
        {"a\r\nb\rc\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {QByteArray("ab\0cd", 5), "ab\r\n"},
    };
    for (const Lines &c : cases)
        EXPECT_EQ(TTaskThread::TextLines(c.text), c.lines) << c.text.toStdString();
}

// ---- Dispatch --------------------------------------------------------------

TEST_F(TaskRunTest, RunStartsEightThenOneMorePerEndAfterTheFirst)
{
    TRun run(Folder());
    for (int i = 0; i < 20; ++i) {
        const QString target = QStringLiteral("/w%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        site.Held(target, Bytes(10), 0);
        auto *item = new TTaskItem(&run.task, site.Url(target));
        item->SetDepth(1);
        run.task.Items().AddSorted(item);
    }
    run.task.URL().SetURI(site.Url("/w00.jpg"));
    run.task.Run();
    const QList<TTaskItem *> items = run.task.Items().ToList();
    auto runningIndexes = [&] {
        std::vector<int> running;
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->Running())
                running.push_back(i);
        return running;
    };
    EXPECT_EQ(run.task.RunningCount(), 8);
    EXPECT_EQ(runningIndexes(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    site.Release(items[3]->URL().URI().mid(site.Url().size()));
    ASSERT_TRUE(PumpUntil([&] { return run.task.DoneCount() == 1; }));
    EXPECT_EQ(run.task.RunningCount(), 7); // the first end starts nothing
    EXPECT_EQ(runningIndexes(), (std::vector<int>{0, 1, 2, 4, 5, 6, 7}));

    site.Release(items[0]->URL().URI().mid(site.Url().size()));
    ASSERT_TRUE(PumpUntil([&] { return run.task.DoneCount() == 2; }));
    EXPECT_EQ(run.task.RunningCount(), 7); // each later end starts the next waiting item
    EXPECT_EQ(runningIndexes(), (std::vector<int>{1, 2, 4, 5, 6, 7, 8}));

    for (TTaskItem *item : items)
        site.Release(item->URL().URI().mid(site.Url().size()));
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(run.task.DoneCount(), 20);
    EXPECT_EQ(run.task.RunningCount(), 0);
}

TEST_F(TaskRunTest, PageWithThirtyLinksEndingAloneStartsSeven)
{
    QStringList links;
    for (int i = 0; i < 30; ++i) {
        const QString name = QStringLiteral("h%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        site.Held("/" + name, Bytes(10), 0);
        links << name;
    }
    site.Page("/index.html", Html(links));
    TRun run(Folder());
    run.Start(site.Url("/index.html"));
    ASSERT_TRUE(PumpUntil([&] { return run.task.DoneCount() == 1; }));
    EXPECT_EQ(run.task.RunningCount(), 7);
    for (const QString &link : links)
        site.Release("/" + link);
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(run.task.DoneCount(), 31);
    EXPECT_EQ(Files().size(), 30);
}

TEST_F(TaskRunTest, ShownTaskShowsRowsWhileHiddenTaskOnlyLogs)
{
    site.Page("/index.html", Html({"a.jpg"}));
    site.File("/a.jpg", Bytes(3000));
    TRun shown(Folder());
    ASSERT_TRUE(shown.Crawl(site.Url("/index.html")));
    const QString start = site.Url("/index.html");
    const QString picture = site.Url("/a.jpg");
    QStringList rows;
    for (const QString &event : shown.views.Events)
        if (!event.startsWith("log ") && !event.startsWith("progress "))
            rows << event;
    EXPECT_EQ(rows, (QStringList{"add " + start + " 0", "image " + start + " 1", "add " + picture + " 1",
                                 "image " + start + " 0", "remove " + start, "image " + picture + " 1",
                                 "picture a.jpg .jpg 2 KB", "image " + picture + " 0", "remove " + picture}));
    EXPECT_TRUE(shown.views.Rows.empty());

    QTemporaryDir other;
    TRun hidden(other.path() + QLatin1Char('/'));
    hidden.task.SetShown(false);
    ASSERT_TRUE(hidden.Crawl(site.Url("/index.html")));
    // Rows of a hidden task are neither added nor updated (the calls for its
    // state images and removals find no row in a real view).
    EXPECT_TRUE(hidden.views.EventsStartingWith("add").isEmpty());
    EXPECT_TRUE(hidden.views.EventsStartingWith("progress").isEmpty());
    EXPECT_TRUE(hidden.views.EventsStartingWith("picture").isEmpty());
    EXPECT_EQ(hidden.views.LogMessages().size(), 4);
}

TEST_F(TaskRunTest, RunOfAFinishedTaskEndsAtOnce)
{
    TRun run(Folder());
    auto *item = new TTaskItem(&run.task, site.Url("/a.jpg"));
    item->SetDone(true);
    run.task.Items().Add(item);
    run.task.SetDoneCount(1);
    run.task.URL().SetURI(site.Url("/a.jpg"));
    run.task.Run();
    EXPECT_TRUE(run.task.Stopped());
    EXPECT_EQ(run.finished, 1);
    PumpFor(20);
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(site.Requests().isEmpty());
}

TEST_F(TaskRunTest, LoadedDoneItemsAreNotFetchedAgain)
{
    site.Page("/index.html", Html({"a.jpg", "b.jpg"}));
    site.File("/a.jpg", Bytes(10));
    site.File("/b.jpg", Bytes(10));
    const QString project = Folder() + "task.wrp";
    {
        TTask saved;
        saved.URL().SetURI(site.Url("/index.html"));
        for (const char *target : {"/index.html", "/a.jpg", "/b.jpg"}) {
            auto *item = new TTaskItem(&saved, site.Url(target));
            item->SetDone(QByteArray(target) != "/b.jpg");
            item->SetDepth(QByteArray(target) == "/index.html" ? 0 : 1);
            saved.Items().Add(item);
        }
        saved.Options().DefaultFolder = Folder();
        saved.Options().FileMasks = QStringList{"jpg, Saved"};
        saved.Options().EnableFileLimit = false;
        saved.SaveToFile(project);
    }
    TRun run(Folder());
    run.task.LoadFromFile(project);
    run.views.Attach(run.task);
    EXPECT_EQ(run.task.DoneCount(), 2);
    run.task.Run();
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(Gets(), QStringList{"/b.jpg"});
    EXPECT_EQ(run.task.DoneCount(), 3);
}

// ---- Stop ------------------------------------------------------------------

TEST_F(TaskRunTest, StopMidTransferLeavesNoPartialFileAndTheItemWaiting)
{
    site.Held("/big.jpg", Bytes(200000), 1000);
    TRun run(Folder());
    run.Start(site.Url("/big.jpg"));
    TTaskItem *item = run.task.Items().Get(0);
    ASSERT_TRUE(PumpUntil([&] { return !run.views.EventsStartingWith("progress").isEmpty(); }));
    EXPECT_EQ(item->CurrentFile(), Folder() + "Saved/big.jpg!!wr");
    EXPECT_TRUE(QFile::exists(Folder() + "Saved/big.jpg!!wr"));

    run.task.Stop();
    EXPECT_TRUE(run.task.Stopped());
    EXPECT_FALSE(QFile::exists(Folder() + "Saved/big.jpg!!wr"));
    EXPECT_FALSE(item->Done());
    EXPECT_FALSE(item->Running());
    EXPECT_EQ(item->Worker(), nullptr);
    EXPECT_TRUE(item->CurrentFile().isEmpty());
    const size_t events = run.views.Events.size();
    site.Release("/big.jpg");
    PumpFor(200);
    EXPECT_EQ(run.views.Events.size(), events); // the stopped worker says nothing more
    EXPECT_EQ(run.finished, 0);
    EXPECT_EQ(Files(), QStringList{});

    run.task.Run(); // the item is waiting again
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(Content("Saved/big.jpg"), Bytes(200000));
    EXPECT_TRUE(item->Done());
}

TEST_F(TaskRunTest, StopReturnsAtOnceWhateverTheWorkersWaitFor)
{
    // Seven workers stall on a server that never answers; another holds the
    // page lock and waits for the main thread, which does not listen.
    TSilentPort silent;
    QStringList links;
    for (int i = 0; i < 7; ++i)
        links << silent.Url(QStringLiteral("/s%1.jpg").arg(i));
    site.Page("/index.html", Html({"a.jpg"}));
    // The page is answered only once the test has stopped listening.
    std::mutex lock;
    std::condition_variable listening;
    bool deaf = false;
    site.OnRequest("/index.html", [&] {
        std::unique_lock<std::mutex> guard(lock);
        listening.wait_for(guard, std::chrono::seconds(20), [&] { return deaf; });
    });
    TRun run(Folder());
    run.task.SetShown(false); // no progress calls: the page worker's next call is "Links found"
    for (const QString &link : links) {
        auto *item = new TTaskItem(&run.task, link);
        item->SetDepth(1);
        run.task.Items().AddSorted(item);
    }
    auto *page = new TTaskItem(&run.task, site.Url("/index.html"));
    page->SetDepth(0);
    run.task.Items().AddSorted(page);
    run.task.URL().SetURI(site.Url("/index.html"));
    run.task.Run();
    ASSERT_EQ(run.task.RunningCount(), 8);
    // Answer the "Attach" and "Saving file" lines, then stop listening.
    ASSERT_TRUE(PumpUntil([&] { return run.views.LogMessages().filter("Saving file").size() == 7
                                       && !run.views.LogMessages().filter("Attach").isEmpty(); }));
    {
        std::lock_guard<std::mutex> guard(lock);
        deaf = true;
    }
    listening.notify_all();
    QElapsedTimer waited;
    waited.start();
    while (!run.task.PageLock()->IsHeld() && waited.elapsed() < 20000)
        QThread::msleep(5);
    ASSERT_TRUE(run.task.PageLock()->IsHeld()) << run.views.LogMessages().join('\n').toStdString() << "\n"
                                                << site.Requests().join('\n').toStdString();

    QElapsedTimer clock;
    clock.start();
    run.task.Stop();
    EXPECT_LT(clock.elapsed(), 10000); // generous: the stall alone would last 60 s
    EXPECT_FALSE(run.task.PageLock()->IsHeld());
    EXPECT_EQ(run.task.RunningCount(), 0);
    EXPECT_EQ(QDir(Folder() + "Saved").entryList(QDir::Files), QStringList{});
    PumpFor(100);
    EXPECT_TRUE(run.views.LogMessages().filter("Links found").isEmpty());
    EXPECT_EQ(run.finished, 0);
    EXPECT_TRUE(TTaskThread::WaitForAll(20000));
}

TEST_F(TaskRunTest, WorkerThatEndedBeforeTheStopIsStillHandled)
{
    site.File("/quick.jpg", Bytes(10));
    TRun run(Folder());
    run.task.SetShown(false);
    run.Start(site.Url("/quick.jpg"));
    TTaskItem *item = run.task.Items().Get(0);
    // Let the worker through its calls to the main thread, then let it end
    // without handling its end.
    ASSERT_TRUE(PumpUntil([&] { return run.views.LogMessages().filter("saved").size() == 1; }));
    QElapsedTimer waited;
    waited.start();
    while (!item->Worker()->Ended() && waited.elapsed() < 20000)
        QThread::msleep(2);
    ASSERT_TRUE(item->Worker()->Ended());
    run.task.Stop();
    EXPECT_TRUE(item->Running()); // its end is still due
    EXPECT_EQ(run.finished, 0);
    PumpUntil([&] { return run.finished > 0; });
    EXPECT_TRUE(item->Done());
    EXPECT_EQ(run.task.RunningCount(), 0);
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(run.task.Stopped());
    EXPECT_EQ(Files(), QStringList{"quick.jpg"});
}

TEST_F(TaskRunTest, RestartIgnoresTheLateEndOfAClearedItem)
{
    site.File("/quick.jpg", Bytes(10));
    TRun run(Folder());
    run.Start(site.Url("/quick.jpg"));
    TTaskItem *old = run.task.Items().Get(0);
    ASSERT_TRUE(PumpUntil([&] { return run.views.LogMessages().filter("saved").size() == 1; }));
    QElapsedTimer waited;
    waited.start();
    while (!old->Worker()->Ended() && waited.elapsed() < 20000)
        QThread::msleep(2);
    // A restart that keeps the old items alive: stop, clear, run again.
    run.task.Stop();
    run.task.Items().Clear();
    run.task.SetDoneCount(0);
    run.task.Run();
    ASSERT_TRUE(run.ToEnd());
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(run.task.DoneCount(), 1);
    EXPECT_EQ(run.task.Items().Count(), 1);
    EXPECT_FALSE(old->Done());
    delete old;
}

TEST_F(TaskRunTest, TaskFreedWhileRunningStopsItsWorkers)
{
    site.Held("/held.jpg", Bytes(5000), 100);
    {
        TRun run(Folder());
        run.Start(site.Url("/held.jpg"));
        ASSERT_TRUE(PumpUntil([&] { return !run.views.EventsStartingWith("progress").isEmpty(); }));
        run.task.Items().DeleteAll(); // as a restart does after its stop, here without one
        EXPECT_EQ(run.task.RunningCount(), 0);
    }
    EXPECT_TRUE(TTaskThread::WaitForAll(20000));
    EXPECT_EQ(Files(), QStringList{});
}

// ---- End to end ------------------------------------------------------------

TEST_F(TaskRunTest, CrawlsASiteToTheEndAndSavesTheProject)
{
    // Three levels of pages with pictures, shared links, a dead link and a
    // foreign site's root (not followed).
    site.Page("/", Html({"gallery/", "about.html", "logo.gif", "http://elsewhere.example/"}));
    site.Page("/gallery/", Html({"1.jpg", "2.jpg", "page2.html", "../logo.gif", "missing.jpg"}));
    site.Page("/gallery/page2.html", Html({"3.jpg", "../about.html", "deep/"}));
    site.Page("/gallery/deep/", Html({"4.jpg"}));
    site.Page("/about.html", Html({"gallery/1.jpg", "portrait.jpg"}));
    site.Status("/gallery", 301, "/gallery/");
    site.Status("/gallery/deep", 301, "/gallery/deep/");
    for (const char *picture : {"/logo.gif", "/gallery/1.jpg", "/gallery/2.jpg", "/gallery/3.jpg",
                                "/gallery/deep/4.jpg", "/portrait.jpg"})
        site.File(picture, Bytes(1000 + qstrlen(picture)));
    TRun run(Folder());
    run.task.Options().SeekDeep = 4;
    ASSERT_TRUE(run.Crawl(site.Url("/")));
    EXPECT_EQ(Files(), (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "logo.gif", "portrait.jpg"}));
    // Everything but the dead link is done; that one waits for the next run.
    EXPECT_EQ(run.task.DoneCount(), run.task.Items().Count() - 1);
    EXPECT_FALSE(run.ItemOf(site.Url("/gallery/missing.jpg"))->Done());
    EXPECT_EQ(run.task.PicturesSaved(), 6);
    EXPECT_EQ(run.task.PicturesFailed(), 1);
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(run.task.Items().IndexOfURL("http://elsewhere.example"), -1);
    EXPECT_EQ(site.RequestCount("/gallery/1.jpg"), 1); // linked twice, fetched once
    EXPECT_TRUE(QDir(Folder() + "Saved").entryList({"*!!wr"}, QDir::Files).isEmpty());

    const QString project = Folder() + "site.wrp";
    run.task.SaveToFile(project);
    TTask reloaded;
    reloaded.LoadFromFile(project);
    EXPECT_EQ(reloaded.Items().Count(), run.task.Items().Count());
    EXPECT_EQ(reloaded.DoneCount(), run.task.Items().Count() - 1);
    const int missing = reloaded.Items().IndexOfURL(site.Url("/gallery/missing.jpg"));
    ASSERT_GE(missing, 0);
    EXPECT_FALSE(reloaded.Items().Get(missing)->Done());
}

} // namespace
