#include "cli/CliRunner.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// A NUL and an invalid UTF-8 byte included: the page goes in as bytes.
constexpr char kPageBytes[] = "<html><img src='a.jpg'>\n<a href=\"../up.html\">Next >>\r\n"
                              "<A HREF=https://g/x/><a href=http://>\0<img src=b\xFF.gif>";
const QByteArray kPage(kPageBytes, sizeof kPageBytes - 1);

const QByteArray kLinks("http://h/d/a.jpg\n"
                        "http://h/up.html\n"
                        "http://h/up.html\n"
                        "http://h/up.html\n"
                        "https://g/x\n"
                        "http://h/d/b\xEF\xBF\xBD.gif\n");

} // namespace

TEST(ScanCommand, ListsLinksOfFileAndStdin)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString page = WriteFile(dir, QStringLiteral("page.html"), kPage);

    const CliRun fromFile = RunCli(dir.path(), {QStringLiteral("scan"), QStringLiteral("http://h/d"), page});
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
    EXPECT_EQ(fromFile.out, kLinks);
    EXPECT_TRUE(fromFile.err.isEmpty());

    const CliRun fromStdin = RunCli(dir.path(), {QStringLiteral("scan"), QStringLiteral("http://h/d/")}, kPage);
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err.toStdString();
    EXPECT_EQ(fromStdin.out, kLinks);

    const CliRun empty = RunCli(dir.path(), {QStringLiteral("scan"), QStringLiteral("http://h/d/")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

// A link holding a line end or a terminal escape stays one line, escaped.
TEST(ScanCommand, ControlCharactersInLinksAreEscaped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CliRun run = RunCli(dir.path(), {QStringLiteral("scan"), QStringLiteral("http://h/d/")},
                              "<a href=\"x\ny.html\"><img src=\"z\x1b[2J.jpg\">");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("http://h/d/x\\x0Ay.html\nhttp://h/d/z\\x1B[2J.jpg\n"));
}

TEST(ScanCommand, UnreadableFileFailsNamingIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString paths[] = {dir.filePath(QStringLiteral("missing.html")), dir.path()};
    for (const QString &path : paths) {
        const CliRun run = RunCli(dir.path(), {QStringLiteral("scan"), QStringLiteral("http://h/"), path});
        EXPECT_EQ(run.exitCode, 1) << path.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(path.toUtf8())) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST(ScanCommand, BadArgumentsAreUsageErrors)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList cases[] = {
        {QStringLiteral("scan")},
        {QStringLiteral("scan"), QStringLiteral("http://h/"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("scan"), QStringLiteral("http://h/"), QStringLiteral("--depth")},
    };
    for (const QStringList &args : cases) {
        const CliRun run = RunCli(dir.path(), args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("scan BASEURL [FILE]")) << run.err.toStdString();
    }
}
