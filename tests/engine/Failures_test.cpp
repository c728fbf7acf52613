// A hostile loopback site: every failure that costs a picture or a page is
// logged with its cause and counted, never passed off as success; the site
// login stays with its own site; names the file system cannot take are made
// to fit; hostile sizes stay bounded.
#include "engine/HTMLScan.h"
#include "engine/HttpClient.h"
#include "engine/LocalServer.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"
#include "engine/TestSite.h"
#include "engine/WorkerHarness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray Html(const QStringList &links)
{
    QByteArray html = "<html><body>\n";
    for (const QString &link : links)
        html += "<a href=\"" + link.toUtf8() + "\">x</a>\n";
    return html + "</body></html>\n";
}

// One task of a test: recording views, saving under `folder`, run to its end.
class TFailureRun
{
public:
    explicit TFailureRun(const QString &folder)
    {
        EnsureApplication();
        views.Attach(task);
        TRegOptions &options = task.Options();
        options.DefaultFolder = folder;
        options.FileMasks = QStringList{"jpg, Saved"};
        options.ExcludeFiles.clear();
        options.EnableFileLimit = false;
        options.SeekDeep = 2;
        task.SetOnFinished([this](TTask *) { ++finished; });
    }

    ~TFailureRun()
    {
        if (!task.Stopped())
            task.Stop();
        EXPECT_TRUE(TTaskThread::WaitForAll(20000));
    }

    bool Crawl(const QString &url)
    {
        const int before = finished;
        task.URL().SetURI(url);
        task.Run();
        return PumpUntil([&] { return finished > before; });
    }

    TTaskItem *ItemOf(const QString &url) const
    {
        const int index = task.Items().IndexOfURL(url);
        return index < 0 ? nullptr : task.Items().Get(index);
    }

    // The log lines marked as failures.
    QStringList Failures() const
    {
        QStringList lines;
        const QStringList messages = views.LogMessages();
        for (size_t i = 0; i < views.LogKinds.size(); ++i)
            if (views.LogKinds[i] == TLogKind::Failure)
                lines << messages.value(int(i));
        return lines;
    }

    TTask task;
    TRecordingViews views;
    int finished = 0;
};

std::string Basic(const char *user, const char *password)
{
    return "Basic " + (QByteArray(user) + ':' + password).toBase64().toStdString();
}

// ---- Credentials per origin ---------------------------------------------------

TEST(Credentials, OriginIsWhatCurlConnectsTo)
{
    struct Case { const char *url; const char *origin; };
    const Case cases[] = {
        {"http://Host.Example/a/b.jpg", "http://host.example:80"},
        {"https://host.example/a", "https://host.example:443"},
        {"http://host.example:8080/x", "http://host.example:8080"},
        {"HTTP://HOST.example:80", "http://host.example:80"},
        {"host.example/x", "http://host.example:80"},
        {"http://a.host.example/x", "http://a.host.example:80"},
        {"http://[::1]:81/x", "http://[::1]:81"},
        {"http://user@host.example/x", "http://host.example:80"},
        {"http://host.example?x@evil.example/", "http://host.example:80"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(THttpClient::Origin(QString::fromUtf8(c.url)).toStdString(), std::string(c.origin)) << c.url;
}

// The login goes to the start URL's scheme, host and port only: pictures on
// another port of the same host, or on another name of the same machine, are
// fetched without it.
TEST(Credentials, SiteLoginGoesOnlyToTheTasksOwnOrigin)
{
    QTemporaryDir folder;
    TTestSite own;
    TTestSite other;
    const QString sameHostOtherName = QStringLiteral("http://localhost:%1/c.jpg").arg(own.Port());
    own.Page("/index.html", Html({"a.jpg", other.Url("/b.jpg"), sameHostOtherName}));
    for (const char *picture : {"/a.jpg", "/c.jpg"})
        own.File(picture, QByteArray(100, 'o'));
    other.File("/b.jpg", QByteArray(100, 'b'));
    TFailureRun run(folder.path() + QLatin1Char('/'));
    TRegOptions &options = run.task.Options();
    options.NeedToLogin = true;
    options.LoginUserName = "ann";
    options.LoginPassword = "secret";
    ASSERT_TRUE(run.Crawl(own.Url("/index.html")));
    EXPECT_EQ(own.AuthorizationOf("/index.html").toStdString(), Basic("ann", "secret"));
    EXPECT_EQ(own.AuthorizationOf("/a.jpg").toStdString(), Basic("ann", "secret"));
    EXPECT_EQ(other.RequestCount("/b.jpg"), 1);
    EXPECT_EQ(other.AuthorizationOf("/b.jpg"), QString());
    ASSERT_EQ(own.RequestCount("/c.jpg"), 1);
    EXPECT_EQ(own.AuthorizationOf("/c.jpg"), QString()) << "another host name of the same machine";
    EXPECT_EQ(run.task.PicturesSaved(), 3);
}

// ---- Failures are logged with their cause ---------------------------------

TEST(Failures, EveryLostPageOrPictureIsLoggedCountedAndKeptWaiting)
{
    TTestSite site;
    TTlsTestSite untrusted;
    untrusted.Page("/index.html", Html({}));
    site.Page("/index.html", Html({"a.jpg"}));
    site.File("/a.jpg", QByteArray(100, 'a'));
    site.Status("/broken.html", 500);
    const QString refused = QStringLiteral("http://127.0.0.1:%1/index.html").arg(ClosedPort());

    enum Where { Start, Picture };
    struct Case {
        const char *name;
        QString start;
        std::function<void(const QString &folder)> prepare;
        QString cause; // a text the failure line holds
        Where where;
        bool local;
    };
    const Case cases[] = {
        {"refused", refused, {}, "connection refused", Start, false},
        {"status", site.Url("/broken.html"), {}, "HTTP status 500", Start, false},
        {"untrusted certificate", untrusted.Url("/index.html"), {}, "TLS certificate not trusted", Start, false},
        {"folder cannot be made", site.Url("/index.html"),
         [](const QString &folder) { QDir(folder).removeRecursively(); }, "Cannot create folder", Picture, true},
        {"not a folder", site.Url("/index.html"),
         [](const QString &folder) {
             QFile blocker(folder + "Saved");
             blocker.open(QIODevice::WriteOnly);
         },
         "Not a directory", Picture, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temporary;
        const QString folder = temporary.path() + QStringLiteral("/save/");
        QDir().mkpath(folder);
        if (c.prepare)
            c.prepare(folder);
        TFailureRun run(folder);
        ASSERT_TRUE(run.Crawl(c.start));
        const QStringList failures = run.Failures();
        ASSERT_EQ(failures.size(), 1) << run.views.LogMessages().join('\n').toStdString();
        EXPECT_TRUE(failures.first().contains(c.cause)) << failures.first().toStdString();
        const TRunCounts &counts = run.task.RunCounts();
        EXPECT_EQ(counts.LocalFailures, c.local ? 1 : 0);
        EXPECT_EQ(counts.PicturesSaved, 0);
        if (c.where == Start) {
            EXPECT_TRUE(failures.first().contains(c.start)) << "names the URL";
            EXPECT_EQ(counts.StartFailure, failures.first());
            EXPECT_EQ(counts.PagesFailed, 1);
        } else {
            EXPECT_TRUE(failures.first().contains(folder)) << "names the file";
            EXPECT_EQ(counts.FirstLocalFailure, failures.first());
            EXPECT_EQ(counts.PicturesFailed, 1);
            EXPECT_TRUE(counts.StartFailure.isEmpty());
        }
        // The failed item stays not done, for the next run.
        EXPECT_EQ(run.task.DoneCount(), run.task.Items().Count() - 1);
    }
}

TEST(Failures, FailedItemWaitsForTheNextRunNotForThisOne)
{
    QTemporaryDir temporary;
    TTestSite site;
    site.Page("/index.html", Html({"late.jpg"}));
    TFailureRun run(temporary.path() + QLatin1Char('/'));
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_EQ(site.RequestCount("/late.jpg"), 1) << "not retried within the run";
    EXPECT_TRUE(run.ItemOf(site.Url("/late.jpg"))->Failed());
    EXPECT_EQ(run.task.PicturesFailed(), 1);

    // The next run tries it again, and this time it is there.
    site.File("/late.jpg", QByteArray(300, 'l'));
    run.task.Run();
    ASSERT_TRUE(PumpUntil([&] { return run.finished == 2; }));
    EXPECT_EQ(site.RequestCount("/late.jpg"), 2);
    EXPECT_TRUE(run.ItemOf(site.Url("/late.jpg"))->Done());
    EXPECT_EQ(run.task.PicturesFailed(), 0) << "the counts are the run's own";
    EXPECT_EQ(run.task.PicturesSaved(), 1);
    EXPECT_EQ(run.task.DoneCount(), run.task.Items().Count());
}

// ---- Names the file system refuses ---------------------------------------

TEST(Failures, NameTooLongIsShortenedKeepingItsExtension)
{
    QTemporaryDir temporary;
    TTestSite site;
    const QString longName = QString(300, QLatin1Char('n')) + QStringLiteral(".jpg");
    // Two documents whose names differ only past the cut: both kept.
    const QString other = QString(299, QLatin1Char('n')) + QStringLiteral("m.jpg");
    site.Page("/index.html", Html({longName, other}));
    site.File("/" + longName, QByteArray(100, '1'));
    site.File("/" + other, QByteArray(100, '2'));
    TFailureRun run(temporary.path() + QLatin1Char('/'));
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    EXPECT_TRUE(run.Failures().isEmpty()) << run.Failures().join('\n').toStdString();
    const QStringList saved = QDir(temporary.path() + "/Saved").entryList(QDir::Files);
    ASSERT_EQ(saved.size(), 2) << saved.join(' ').toStdString();
    for (const QString &name : saved) {
        EXPECT_TRUE(name.endsWith(".jpg")) << name.toStdString();
        EXPECT_LE(name.toUtf8().size() + 4, 255) << "room for the temporary suffix";
    }
    EXPECT_EQ(run.task.PicturesSaved(), 2);
}

// ---- Hostile sizes and texts ------------------------------------------------

TEST(Failures, PageWithTooManyLinksIsCappedWithALogLine)
{
    QTemporaryDir temporary;
    TTestSite site;
    // Each ">" repeats the tag before it: 100,005 links in 100 KB.
    site.Page("/index.html", "<a href=x.txt>" + QByteArray(THTMLScan::kMaxLinks + 4, '>'));
    TFailureRun run(temporary.path() + QLatin1Char('/'));
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    const QStringList log = run.views.LogMessages();
    EXPECT_TRUE(log.contains(QStringLiteral("Links found : %1").arg(THTMLScan::kMaxLinks)));
    EXPECT_EQ(log.filter("5 more links than the 100000 followed per page").size(), 1) << log.join('\n').toStdString();
    EXPECT_EQ(run.task.Items().Count(), 2);
}

TEST(Failures, ControlCharactersReachTheLogEscaped)
{
    QTemporaryDir temporary;
    TTestSite site;
    // An escape sequence and a C1 control in a link, both of which fail.
    site.Page("/index.html", "<a href=\"a\x1b[2Jb.jpg\">x</a><a href=\"c\xc2\x85\x7f.jpg\">y</a>");
    TFailureRun run(temporary.path() + QLatin1Char('/'));
    ASSERT_TRUE(run.Crawl(site.Url("/index.html")));
    const QStringList failures = run.Failures();
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures.filter("a\\x1B[2Jb.jpg").size(), 1) << failures.join('\n').toStdString();
    EXPECT_EQ(failures.filter("c\\x85\\x7F.jpg").size(), 1) << failures.join('\n').toStdString();
    for (const QString &line : run.views.LogMessages())
        for (const QChar c : line)
            EXPECT_FALSE(c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) << line.toStdString();
}

} // namespace
