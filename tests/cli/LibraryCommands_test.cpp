#include "cli/CliRunner.h"
#include "imaging/PictureFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class LibraryCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(m_pictures.isValid());
        fixtures::WriteQt(Picture("a.png"), "png", fixtures::CornerPicture(3, 2));
        fixtures::WriteMagick(Picture("b.GIF"), "GIF", 5, 4);
        fixtures::WriteBytes(Picture("c.txt"), QByteArray(1000, 'c'));
    }

    QString Picture(const QString &name) const { return m_pictures.filePath(name); }
    QString HomeLibrary() const { return m_home.filePath("imglib.db"); }

    // Runs the real program with its home in a temporary folder, in the
    // pictures' folder (so relative paths name them).
    CliRun Run(const QStringList &args) const { return RunCli(m_home.path(), args, {}, m_pictures.path()); }

    QList<QByteArray> ListLines(const QStringList &extra = {}) const
    {
        const CliRun list = Run(QStringList{"library", "list"} + extra);
        EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
        QList<QByteArray> lines = list.out.split('\n');
        EXPECT_TRUE(lines.takeLast().isEmpty()); // every line ends with LF
        return lines;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_pictures;
};

TEST_F(LibraryCommandsTest, AddThenListInTheContractsKeyOrder)
{
    const CliRun add = Run({"library", "add", "a.png", "b.GIF", "./sub/../c.txt"});
    EXPECT_EQ(add.exitCode, 0) << add.err.toStdString();
    EXPECT_TRUE(add.err.isEmpty());
    EXPECT_EQ(QFileInfo(HomeLibrary()).size(), 264 + 3 * 280);

    const QList<QByteArray> lines = ListLines();
    ASSERT_EQ(lines.size(), 3);
    const QRegularExpression shape(
        R"(^\{"FileName":"[^"]+","Added":[0-9.e+-]+,"FileSize":\d+,"Width":-?\d+,"Height":-?\d+\}$)");
    struct Expected { QString path; int size; int width; int height; };
    const Expected expected[] = {
        {Picture("a.png"), int(QFileInfo(Picture("a.png")).size() / 128 * 128), 3, 2},
        {Picture("b.GIF"), int(QFileInfo(Picture("b.GIF")).size() / 128 * 128), 5, 4},
        {Picture("c.txt"), 896, -1, -1},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        EXPECT_TRUE(shape.match(QString::fromUtf8(lines[i])).hasMatch());
        const QJsonObject record = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(record["FileName"].toString(), expected[i].path); // full path, cleaned
        EXPECT_GT(record["Added"].toDouble(), 40000.0);
        EXPECT_EQ(record["FileSize"].toInt(), expected[i].size);
        EXPECT_EQ(record["Width"].toInt(), expected[i].width);
        EXPECT_EQ(record["Height"].toInt(), expected[i].height);
    }

    // Adding a recorded path again changes nothing but the file's rewrite.
    EXPECT_EQ(Run({"library", "add", Picture("a.png")}).exitCode, 0);
    EXPECT_EQ(ListLines(), lines);
}

TEST_F(LibraryCommandsTest, FileOptionNamesAnotherLibrary)
{
    const QString other = m_pictures.filePath("other.db");
    const CliRun add = Run({"library", "add", "--file", other, "a.png"});
    EXPECT_EQ(add.exitCode, 0) << add.err.toStdString();
    EXPECT_FALSE(QFile::exists(HomeLibrary()));
    EXPECT_EQ(ListLines({"--file", other}).size(), 1);
}

TEST_F(LibraryCommandsTest, OtherSignatureListsNothing)
{
    fixtures::WriteBytes(HomeLibrary(), QByteArray("Quorvane images Library File").leftJustified(264 + 280, '\0'));
    const CliRun list = Run({"library", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.isEmpty());
}

TEST_F(LibraryCommandsTest, FailuresNameTheFile)
{
    const CliRun missingLibrary = Run({"library", "list"});
    EXPECT_EQ(missingLibrary.exitCode, 1);
    EXPECT_TRUE(missingLibrary.err.contains(HomeLibrary().toUtf8())) << missingLibrary.err.toStdString();
    EXPECT_EQ(missingLibrary.err.count('\n'), 1);

    // A file that cannot be recorded fails the command, the others are kept.
    const CliRun add = Run({"library", "add", "missing.png", "a.png"});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_TRUE(add.err.contains(Picture("missing.png").toUtf8())) << add.err.toStdString();
    EXPECT_EQ(add.err.count('\n'), 1);
    EXPECT_EQ(ListLines().size(), 1);
}

TEST_F(LibraryCommandsTest, UnreadableLibraryIsLeftAlone)
{
    ASSERT_TRUE(QDir().mkdir(HomeLibrary()));
    const CliRun add = Run({"library", "add", "a.png"});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_TRUE(add.err.contains(HomeLibrary().toUtf8())) << add.err.toStdString();
    EXPECT_TRUE(QFileInfo(HomeLibrary()).isDir());
}

// A library file that cannot be read is never written over: a FILE named on
// the command line is left alone (exit 1); the home's library is kept aside,
// with a message, and a new one is started.
TEST_F(LibraryCommandsTest, ForeignOrDamagedFilesAreNeverWrittenOver)
{
    const QByteArray foreign = QByteArray("SQLite format 3").leftJustified(4096, '\0');
    const QString named = m_pictures.filePath("photos.db");
    fixtures::WriteBytes(named, foreign);
    const CliRun refused = Run({"library", "add", "--file", named, "a.png"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(named.toUtf8())) << refused.err.toStdString();
    EXPECT_EQ(fixtures::ReadBytes(named), foreign);
    EXPECT_FALSE(QFile::exists(named + ".bad"));

    fixtures::WriteBytes(HomeLibrary(), foreign);
    const CliRun kept = Run({"library", "add", "a.png"});
    EXPECT_EQ(kept.exitCode, 0) << kept.err.toStdString();
    EXPECT_TRUE(kept.err.contains((HomeLibrary() + ".bad").toUtf8())) << kept.err.toStdString();
    EXPECT_EQ(fixtures::ReadBytes(HomeLibrary() + ".bad"), foreign);
    EXPECT_EQ(ListLines().size(), 1);
    // A second damaged library goes beside the first, never over it.
    fixtures::WriteBytes(HomeLibrary(), foreign.left(100));
    EXPECT_EQ(Run({"library", "add", "a.png"}).exitCode, 0);
    EXPECT_EQ(fixtures::ReadBytes(HomeLibrary() + ".bad.1"), foreign.left(100));
    EXPECT_EQ(fixtures::ReadBytes(HomeLibrary() + ".bad"), foreign);
}

TEST_F(LibraryCommandsTest, TruncatedLibraryListsItsWholeRecordsOnly)
{
    ASSERT_EQ(Run({"library", "add", "a.png", "b.GIF"}).exitCode, 0);
    const QByteArray whole = fixtures::ReadBytes(HomeLibrary());
    ASSERT_EQ(whole.size(), 264 + 2 * 280);
    fixtures::WriteBytes(HomeLibrary(), whole.left(264 + 280 + 100));
    const QList<QByteArray> lines = ListLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().contains(Picture("a.png").toUtf8()));
}

// What the image plugins say about a damaged picture does not reach stderr;
// the picture is recorded as one that cannot be decoded.
TEST_F(LibraryCommandsTest, DecoderWarningsStayOffStderr)
{
    fixtures::WriteQt(Picture("whole.jpg"), "jpeg", fixtures::CornerPicture(300, 200));
    const QByteArray whole = fixtures::ReadBytes(Picture("whole.jpg"));
    fixtures::WriteBytes(Picture("cut.jpg"), whole.left(whole.size() / 2));
    const CliRun add = Run({"library", "add", "cut.jpg"});
    EXPECT_EQ(add.exitCode, 0);
    EXPECT_TRUE(add.err.isEmpty()) << add.err.toStdString();
    EXPECT_EQ(ListLines().size(), 1);
}

TEST_F(LibraryCommandsTest, UsageErrors)
{
    const QStringList usages[] = {
        {"library", "add"},
        {"library", "add", "--file"},
        {"library", "add", "--bogus", "a.png"},
        {"library", "list", "extra"},
        {"library", "list", "--file", "x", "--file", "y"},
    };
    for (const QStringList &args : usages) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage:")) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(HomeLibrary()));
}

} // namespace
