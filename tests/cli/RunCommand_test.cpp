// zavelon-cli run: a headless crawl of a local site, and its stop by signal.
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TestSite.h"
#include "images/ImageDetail.h"
#include "images/ImageLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray Png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

class RunCommandTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(home.isValid() && work.isValid()); }

    QString Saved() const { return work.path() + "/site/Saved/"; }

    // A project file for a task that starts at `target` of the site.
    QString WriteTask(const QString &target)
    {
        TTask task;
        task.SetName("local");
        task.URL().SetURI(site.Url(target));
        TRegOptions &options = task.Options();
        options.DefaultFolder = work.path() + "/site/";
        QDir().mkpath(options.DefaultFolder); // as the task editor leaves it
        options.FileMasks = {"png, Saved", "jpg, Saved"};
        options.ExcludeFiles = {};
        options.EnableFileLimit = false;
        options.SeekDeep = 3;
        const QString path = work.path() + "/local.wrp";
        task.SaveToFile(path);
        return path;
    }

    void Launch(QProcess &process, const QStringList &args)
    {
        process.start(QStringLiteral(ZAVELON_CLI), QStringList{"--home", home.path(), "run"} + args);
        ASSERT_TRUE(process.waitForStarted());
        process.closeWriteChannel();
    }

    TTestSite site;
    QTemporaryDir home;
    QTemporaryDir work;
};

TEST_F(RunCommandTest, CrawlsToTheEndWritesTheProjectAndTheLibrary)
{
    site.Page("/index.html", "<a href=\"gallery.html\">g</a><img src=\"one.png\">");
    site.Page("/gallery.html", "<img src=\"two.png\"><img src=\"one.png\">");
    site.File("/one.png", Png(4, 3));
    site.File("/two.png", Png(7, 5));
    const QString project = WriteTask("/index.html");
    QProcess process;
    Launch(process, {project, "--quiet"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    static const QRegularExpression logLine(QStringLiteral("^\\[[^\\]]+\\] - (.*)$"));
    QStringList messages;
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = logLine.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        messages << match.captured(1);
    }
    EXPECT_EQ(messages.first(), QStringLiteral("Attach \"%1\"").arg(site.Url("/index.html")));
    EXPECT_TRUE(messages.contains("File \"one.png\" saved"));
    EXPECT_TRUE(messages.contains("File \"two.png\" saved"));

    QStringList saved = QDir(Saved()).entryList(QDir::Files);
    saved.sort();
    EXPECT_EQ(saved, (QStringList{"one.png", "two.png"})) << messages.join('\n').toStdString();

    TTask task;
    task.LoadFromFile(project);
    EXPECT_TRUE(task.Stopped());
    EXPECT_EQ(task.Items().Count(), 4);
    EXPECT_EQ(task.DoneCount(), 4);

    TImageLibrary library;
    library.LoadFromFile(home.path() + "/imglib.db");
    ASSERT_EQ(library.Count(), 2);
    for (int i = 0; i < library.Count(); ++i) {
        const TImageDetail *record = library.Items(i);
        const bool one = record->FileName == Saved() + "one.png";
        EXPECT_TRUE(one || record->FileName == Saved() + "two.png") << record->FileName.toStdString();
        EXPECT_EQ(record->Width, one ? 4 : 7);
        EXPECT_EQ(record->Height, one ? 3 : 5);
    }
}

TEST_F(RunCommandTest, SignalStopsTheRunAndKeepsThePictureWaiting)
{
    struct Case { int signal; int exitCode; };
    for (const Case c : {Case{SIGINT, 130}, Case{SIGTERM, 143}}) {
        const QString target = QStringLiteral("/held%1.jpg").arg(c.signal);
        site.Held(target, QByteArray(100000, 'h'), 1000);
        const QString project = WriteTask(target);
        QProcess process;
        Launch(process, {project});
        QByteArray out;
        while (!out.contains("Saving file") && process.waitForReadyRead(30000))
            out += process.readAllStandardOutput();
        ASSERT_TRUE(out.contains("Saving file")) << out.toStdString();
        ::kill(pid_t(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        EXPECT_TRUE(QDir(Saved()).entryList(QDir::Files).isEmpty()) << "no partial file";

        TTask task;
        task.LoadFromFile(project);
        EXPECT_TRUE(task.Stopped());
        ASSERT_EQ(task.Items().Count(), 1);
        EXPECT_FALSE(task.Items().Get(0)->Done()) << "the picture waits for the next run";
        site.Release(target);
    }
}

TEST_F(RunCommandTest, UsageAndMissingFile)
{
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{}, 2},
        {{"a.wrp", "b.wrp"}, 2},
        {{"--quiet"}, 2},
        {{work.path() + "/absent.wrp"}, 1},
    };
    for (const Case &c : cases) {
        QProcess process;
        Launch(process, c.args);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
    }
}

} // namespace
