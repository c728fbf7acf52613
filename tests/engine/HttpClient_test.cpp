#include "engine/HttpClient.h"

#include "engine/AppInfo.h"
#include "engine/Errors.h"
#include "engine/LocalServer.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>

namespace {

std::string Basic(const char *user, const char *password)
{
    return "Basic " + (QByteArray(user) + ':' + password).toBase64().toStdString();
}

// The message of the EZavelonError that `call` raises; empty when none.
template <typename Call>
QString FailureOf(Call &&call)
{
    try {
        call();
    } catch (const EZavelonError &error) {
        return error.message();
    }
    return QString();
}

class HttpClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.Http().Get("/page", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content("agent=" + request.get_header_value("User-Agent"), "text/html");
        });
        server.Http().Get("/status/(\\d+)", [](const httplib::Request &request, httplib::Response &response) {
            response.status = std::stoi(request.matches[1]);
            if (response.status / 100 == 3)
                response.set_header("Location", "/page");
            if (response.status != 204)
                response.set_content("body of the status page", "text/plain");
        });
        server.Http().Get("/chunked", [](const httplib::Request &, httplib::Response &response) {
            response.set_chunked_content_provider("image/jpeg", [](size_t offset, httplib::DataSink &sink) {
                if (offset < 3000)
                    sink.write(std::string(1000, 'c').data(), 1000);
                else
                    sink.done();
                return true;
            });
        });
        server.Http().Get("/bytes/(\\d+)", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(std::string(std::stoul(request.matches[1]), 'b'), "image/jpeg");
        });
        server.Http().Get("/private", [](const httplib::Request &request, httplib::Response &response) {
            if (request.get_header_value("Authorization") != Basic("ann", "s3cret:x")) {
                response.status = 401;
                return;
            }
            response.set_content("welcome", "text/plain");
        });
        server.Http().Get("/port", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(std::to_string(request.remote_port), "text/plain");
        });
    }

    TLocalServer server;
    THttpClient client;
};

TEST_F(HttpClientTest, GetReturnsTheBodyAndNamesTheProgram)
{
    EXPECT_EQ(client.Get(server.Url("/page")), "agent=" + AppInfo::kUserAgent.toUtf8());
    EXPECT_EQ(client.ContentLength(), 6 + AppInfo::kUserAgent.toUtf8().size());
}

TEST_F(HttpClientTest, EveryStatusOutside2xxFailsAndNamesTheUrl)
{
    struct Case { int status; bool ok; };
    const Case cases[] = {{200, true}, {204, true}, {206, true}, {301, false}, {302, false},
                          {304, false}, {401, false}, {404, false}, {500, false}};
    for (const Case &c : cases) {
        const QString url = server.Url(QStringLiteral("/status/%1").arg(c.status));
        for (bool head : {false, true}) {
            const QString failure = FailureOf([&] { head ? (void)client.Head(url) : (void)client.Get(url); });
            if (c.ok) {
                EXPECT_TRUE(failure.isEmpty()) << c.status << " head=" << head << ": " << failure.toStdString();
            } else {
                EXPECT_TRUE(failure.startsWith(url)) << failure.toStdString();
                EXPECT_TRUE(failure.contains(QString::number(c.status))) << failure.toStdString();
            }
        }
    }
}

TEST_F(HttpClientTest, HeadReportsTheAnnouncedLengthOrZero)
{
    EXPECT_EQ(client.Head(server.Url("/bytes/10241")), 10241);
    EXPECT_EQ(client.Head(server.Url("/bytes/0")), 0);
    EXPECT_EQ(client.Head(server.Url("/chunked")), 0);
}

TEST_F(HttpClientTest, PageLargerThanTheCapFails)
{
    EXPECT_EQ(client.Get(server.Url("/bytes/5000"), 5000).size(), 5000);
    const QString failure = FailureOf([&] { client.Get(server.Url("/bytes/5001"), 5000); });
    EXPECT_TRUE(failure.contains("larger than 5000 bytes")) << failure.toStdString();
}

TEST_F(HttpClientTest, FileGetWritesAsBytesArriveAndReportsProgress)
{
    std::vector<qint64> progress;
    std::vector<qint64> lengths;
    client.OnWork = [&](qint64 received) {
        progress.push_back(received);
        lengths.push_back(client.ContentLength());
    };
    for (const char *path : {"/bytes/300000", "/chunked"}) {
        progress.clear();
        lengths.clear();
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        client.Get(server.Url(path), file);
        const qint64 expected = QByteArray(path) == "/chunked" ? 3000 : 300000;
        EXPECT_EQ(file.data().size(), expected) << path;
        ASSERT_FALSE(progress.empty()) << path;
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << path;
        EXPECT_EQ(progress.back(), expected) << path;
        // The announced length is known from the first notification on.
        EXPECT_EQ(lengths.front(), QByteArray(path) == "/chunked" ? 0 : expected) << path;
    }
}

TEST_F(HttpClientTest, SinkCanAbandonTheTransfer)
{
    qint64 taken = 0;
    const THttpClient::Sink sink = [&](const char *, qint64 size) {
        taken += size;
        return taken < 1000;
    };
    const QString failure = FailureOf([&] { client.Get(server.Url("/bytes/300000"), sink, "too big"); });
    EXPECT_TRUE(failure.endsWith("too big")) << failure.toStdString();
    EXPECT_LT(taken, 300000);
}

TEST_F(HttpClientTest, BasicSiteLogin)
{
    EXPECT_FALSE(FailureOf([&] { client.Get(server.Url("/private")); }).isEmpty());
    client.Username = "ann";
    client.Password = "s3cret:x";
    EXPECT_EQ(client.Get(server.Url("/private")), "welcome");
    // With its origin set, the login goes there only.
    client.LoginOrigin = THttpClient::Origin(server.Url());
    EXPECT_EQ(client.Get(server.Url("/private")), "welcome");
    client.LoginOrigin = THttpClient::Origin(QStringLiteral("http://127.0.0.1:%1/").arg(server.Port() + 1));
    EXPECT_TRUE(FailureOf([&] { client.Get(server.Url("/private")); }).endsWith("HTTP status 401"));
}

TEST_F(HttpClientTest, ConnectionsAreReused)
{
    std::set<QByteArray> ports;
    for (int i = 0; i < 4; ++i)
        ports.insert(client.Get(server.Url("/port")));
    EXPECT_EQ(ports.size(), 1u);
    THttpClient another; // a later worker picks up the idle connection too
    ports.insert(another.Get(server.Url("/port")));
    EXPECT_EQ(ports.size(), 1u);
}

TEST(HttpClient, ProxyGetsTheAbsoluteUrlAndBasicProxyLogin)
{
    TLocalServer proxy;
    std::mutex lock;
    std::vector<std::string> seen;
    proxy.Http().Get(".*", [&](const httplib::Request &request, httplib::Response &response) {
        std::lock_guard<std::mutex> guard(lock);
        seen.push_back(request.target + " " + request.get_header_value("Proxy-Authorization"));
        response.set_content("via proxy", "text/plain");
    });
    THttpClient client;
    client.ProxyServer = "127.0.0.1";
    client.ProxyPort = proxy.Port();
    client.ProxyUsername = "pat";
    client.ProxyPassword = "pw";
    EXPECT_EQ(client.Get("http://pictures.zavelon.test/a/b.jpg"), "via proxy");
    EXPECT_EQ(client.Head("http://pictures.zavelon.test/c.jpg"), 9);
    client.ProxyUsername.clear();
    client.Get("http://pictures.zavelon.test/d.jpg");
    const std::string auth = Basic("pat", "pw");
    EXPECT_EQ(seen, (std::vector<std::string>{"http://pictures.zavelon.test/a/b.jpg " + auth,
                                              "http://pictures.zavelon.test/c.jpg " + auth,
                                              "http://pictures.zavelon.test/d.jpg "}));
}

TEST(HttpClient, ConnectionFailuresAndForeignSchemesFail)
{
    THttpClient client;
    const QString refused = QStringLiteral("http://127.0.0.1:%1/x.jpg").arg(ClosedPort());
    for (const QString &url : {refused, QStringLiteral("file:///etc/hostname"), QStringLiteral("ftp://127.0.0.1/x"),
                               QStringLiteral("http://https://g/x")}) {
        const QString failure = FailureOf([&] { client.Get(url); });
        EXPECT_TRUE(failure.startsWith(url)) << url.toStdString() << " -> " << failure.toStdString();
    }
    // The cause in words a user can act on.
    try {
        client.Get(refused);
        ADD_FAILURE() << "a closed port answered";
    } catch (const EHttpError &error) {
        EXPECT_EQ(error.Cause(), QStringLiteral("connection refused"));
        EXPECT_FALSE(error.Stopped());
    }
}

TEST(HttpClient, HttpsWithATrustedCertificate)
{
    TLocalServer server(TLocalServer::Tls);
    server.Http().Get("/secure.jpg", [](const httplib::Request &, httplib::Response &response) {
        response.set_content("tls bytes", "image/jpeg");
    });
    THttpClient untrusting;
    const QString failure = FailureOf([&] { untrusting.Get(server.Url("/secure.jpg")); });
    EXPECT_TRUE(failure.startsWith(server.Url() + "/secure.jpg: TLS certificate not trusted")) << failure.toStdString();
    THttpClient client;
    client.CaCertificates = server.CertificatePem();
    EXPECT_EQ(client.Get(server.Url("/secure.jpg")), "tls bytes");
    EXPECT_EQ(client.Head(server.Url("/secure.jpg")), 9);
}

TEST(HttpClient, StalledTransferFails)
{
    TSilentPort silent;
    THttpClient client;
    client.StallTimeoutSeconds = 1;
    const QString failure = FailureOf([&] { client.Get(silent.Url("/x.jpg")); });
    EXPECT_TRUE(failure.contains("no data received")) << failure.toStdString();
}

TEST(HttpClient, CancelEndsAWaitingTransferFromAnotherThread)
{
    // The server holds the request until the end of the test.
    TLocalServer server;
    std::promise<void> arrived;
    std::mutex lock;
    std::condition_variable released;
    bool release = false;
    server.Http().Get("/slow.jpg", [&](const httplib::Request &, httplib::Response &response) {
        arrived.set_value();
        std::unique_lock<std::mutex> guard(lock);
        released.wait(guard, [&] { return release; });
        response.set_content("late", "image/jpeg");
    });
    THttpClient client;
    auto result = std::async(std::launch::async, [&] { return FailureOf([&] { client.Get(server.Url("/slow.jpg")); }); });
    arrived.get_future().wait();
    client.Cancel();
    // Generous: the stall limit is 60 s, so finishing here means the cancel worked.
    const bool ended = result.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    {
        std::lock_guard<std::mutex> guard(lock);
        release = true;
    }
    released.notify_all();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(result.get().endsWith("stopped"));
    EXPECT_TRUE(client.Cancelled());
    EXPECT_TRUE(FailureOf([&] { client.Head(server.Url("/slow.jpg")); }).endsWith("stopped"));
}

TEST(HttpClient, RequestUrlEncodesOnlyWhatCurlRefuses)
{
    struct Case { const char *given; const char *sent; };
    const Case cases[] = {
        {"http://h/a b.jpg", "http://h/a%20b.jpg"},
        {"http://h/l.php?p=2&q=%41#top", "http://h/l.php?p=2&q=%41#top"},
        {"http://h/\xc3\xa9t\xc3\xa9.jpg", "http://h/%C3%A9t%C3%A9.jpg"},
        {"http://h/tab\t.jpg", "http://h/tab%09.jpg"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(THttpClient::RequestUrl(QString::fromUtf8(c.given)), QByteArray(c.sent)) << c.given;
}

} // namespace
