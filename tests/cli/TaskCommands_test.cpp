#include "cli/CliRunner.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

// Runs the real program with its home inside the test's folder.
CliRun RunTaskCli(const QTemporaryDir &home, const QStringList &args)
{
    return RunCli(home.path(), args);
}

QString WriteSampleTask(const QTemporaryDir &dir)
{
    TTask task;
    task.SetName(QStringLiteral("Quote \" slash \\ tab\t bell\x07 é"));
    task.SetNote(QStringLiteral("two\r\nlines"));
    task.URL().SetURI(QStringLiteral("http://h.example/start.html"));
    task.SetID(QStringLiteral("{00000000-1111-2222-3333-444444444444}"));
    TRegOptions &o = task.Options();
    o.DefaultFolder = QStringLiteral("/pics/");
    o.EnableFileLimit = false;
    o.FileMaxSize = 2048;
    o.FileMinSize = 0;
    o.SeekDeep = 2;
    o.AutoShutDown = true;
    o.UseProxyServer = true;
    o.ProxyServerAddr = QStringLiteral("proxy.local");
    o.ProxyServerPort = 3128;
    o.ProxyLoginUserName = QStringLiteral("pu");
    o.ProxyLoginPassword = QStringLiteral("pp");
    o.DefaultLogFolder = QStringLiteral("/logs/");
    o.AutoSaveLog = false;
    o.FileMasks = {QStringLiteral("gif, Saved"), QStringLiteral("jpg, Photos")};
    o.ExcludeFiles = {};
    o.Scheme.SchemeType = 2;
    o.Scheme.SchemeCount = 1;
    o.Scheme.SchemeStartDate = 45123.0;
    o.Scheme.SchemeStartTime = 0.1 + 0.2;
    o.NeedToLogin = true;
    o.LoginUserName = QStringLiteral("me");
    o.LoginPassword = QStringLiteral("secret");
    const struct { const char *url; bool done; int depth; } items[] = {
        {"http://h.example/start.html", true, 0},
        {"http://h.example/a.jpg", false, 1},
        {"http://h.example/b.jpg", true, 1},
    };
    for (const auto &i : items) {
        auto *item = new TTaskItem(&task, QString::fromUtf8(i.url));
        item->SetDone(i.done);
        item->SetDepth(i.depth);
        task.Items().Add(item);
    }
    const QString path = dir.filePath(QStringLiteral("sample.wrp"));
    task.SaveToFile(path);
    return path;
}

} // namespace

TEST(TaskCommands, ShowPrintsOneObjectWithKeysInContractOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = WriteSampleTask(dir);
    const CliRun run = RunTaskCli(dir, {"task", "show", path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "{\"Name\":\"Quote \\\" slash \\\\ tab\\t bell\\u0007 \xC3\xA9\",\"Note\":\"two\\r\\nlines\","
              "\"URL\":\"http://h.example/start.html\",\"ID\":\"{00000000-1111-2222-3333-444444444444}\","
              "\"Stopped\":true,\"DoneCount\":2,"
              "\"Options\":{\"DefaultFolder\":\"/pics/\",\"EnableFileLimit\":false,\"FileMaxSize\":2048,"
              "\"FileMinSize\":0,\"SeekDeep\":2,\"AutoShutDown\":true,\"UseProxyServer\":true,"
              "\"ProxyServerAddr\":\"proxy.local\",\"ProxyServerPort\":3128,\"ProxyLoginUserName\":\"pu\","
              "\"ProxyLoginPassword\":\"pp\",\"DefaultLogFolder\":\"/logs/\",\"AutoSaveLog\":false,"
              "\"FileMasks\":[\"gif, Saved\",\"jpg, Photos\"],\"ExcludeFiles\":[],"
              "\"Scheme\":{\"SchemeType\":2,\"SchemeCount\":1,\"SchemeStartDate\":45123.0,"
              "\"SchemeStartTime\":0.30000000000000004},"
              "\"NeedToLogin\":true,\"LoginUserName\":\"me\",\"LoginPassword\":\"secret\"},"
              "\"Items\":[{\"Done\":true,\"Depth\":0,\"URL\":\"http://h.example/start.html\"},"
              "{\"Done\":false,\"Depth\":1,\"URL\":\"http://h.example/a.jpg\"},"
              "{\"Done\":true,\"Depth\":1,\"URL\":\"http://h.example/b.jpg\"}]}\n");
}

TEST(TaskCommands, ShowOddStoredValues)
{
    // Invalid UTF-8 is replaced; a NaN date has no JSON number and prints as
    // null; other doubles print exactly.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("raw.wrp"));
    QByteArray bytes(TTask::kItemsOffset, '\0');
    bytes.replace(11, 3, "a\xFF" "b");
    const qsizetype schemeAt = TTask::kHeaderSize + 529448;
    const double dates[] = {std::numeric_limits<double>::quiet_NaN(), -1e-300};
    std::memcpy(bytes.data() + schemeAt, dates, sizeof dates); // little-endian host
    bytes += "1,-1,http://h/\xC3\r\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const CliRun run = RunTaskCli(dir, {"task", "show", path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("{\"Name\":\"a\xEF\xBF\xBD" "b\",")) << run.out.left(40).toStdString();
    EXPECT_TRUE(run.out.contains("\"SchemeStartDate\":null,\"SchemeStartTime\":-1e-300}")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"FileMaxSize\":0,")) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith("\"Items\":[{\"Done\":true,\"Depth\":-1,\"URL\":\"http://h/\xEF\xBF\xBD\"}]}\n"));
}

TEST(TaskCommands, UrlsPrintsTheSaveUrlText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CliRun run = RunTaskCli(dir, {"task", "urls", WriteSampleTask(dir)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "* Finished item.\r\n"
              "\r\n"
              "* http://h.example/start.html\r\n"
              "  http://h.example/a.jpg\r\n"
              "* http://h.example/b.jpg\r\n");
}

TEST(TaskCommands, BadFilesFailNamingTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString shortFile = dir.filePath(QStringLiteral("short.wrp"));
    QFile file(shortFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Dovek");
    file.close();
    const QString missing = dir.filePath(QStringLiteral("missing.wrp"));
    const struct { const char *command; QString path; const char *detail; } cases[] = {
        {"show", shortFile, "5 bytes"}, {"urls", shortFile, "5 bytes"},
        {"show", missing, ""}, {"urls", missing, ""},
    };
    for (const auto &c : cases) {
        const CliRun run = RunTaskCli(dir, {"task", c.command, c.path});
        EXPECT_EQ(run.exitCode, 1) << c.command;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.contains(c.path.toUtf8())) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.detail)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST(TaskCommands, UsageErrorsExitTwo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList cases[] = {
        {"task", "show"}, {"task", "urls"}, {"task", "show", "a.wrp", "b.wrp"}, {"task", "urls", "--quiet"},
    };
    for (const QStringList &args : cases) {
        const CliRun run = RunTaskCli(dir, args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage:")) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
    }
}
