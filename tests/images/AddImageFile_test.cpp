#include "images/AddImageFile.h"

#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "images/ImageLibrary.h"
#include "imaging/PictureFixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <unistd.h>

namespace {

class AddImageFileTest : public ::testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    const TImageDetail &Added(const QString &path)
    {
        AddImageFile(m_library, path);
        const TImageDetail *record = m_library.Find(path);
        if (!record)
            throw std::runtime_error("not recorded: " + path.toStdString());
        return *record;
    }

    QTemporaryDir m_dir;
    TImageLibrary m_library;
};

TEST(RoundedFileSize, WholeBlocksOf128)
{
    struct Case { qint64 bytes; qint32 size; };
    const Case cases[] = {
        {1000, 896}, {127, 0}, {1024, 1024}, {0, 0}, {128, 128}, {255, 128},
        {qint64(std::numeric_limits<qint32>::max()), 2147483520},
        {qint64(1) << 40, 2147483520}, // saturated, never wrapped
    };
    for (const Case &c : cases)
        EXPECT_EQ(RoundedFileSize(c.bytes), c.size) << c.bytes;
}

TEST_F(AddImageFileTest, RecordsSizeAndPixels)
{
    const QString png = Path("a.png");
    fixtures::WriteQt(png, "png", fixtures::CornerPicture(13, 7));
    const double before = NowDays();
    const TImageDetail &record = Added(png);
    EXPECT_EQ(record.FileName, png);
    EXPECT_EQ(record.Width, 13);
    EXPECT_EQ(record.Height, 7);
    EXPECT_EQ(record.FileSize, RoundedFileSize(QFile(png).size()));
    EXPECT_GE(record.Added, before);
    EXPECT_LE(record.Added, NowDays());
}

TEST_F(AddImageFileTest, FileSizeIsRoundedDown)
{
    for (int length : {1000, 127, 1024}) {
        const QString path = Path(QStringLiteral("f%1.png").arg(length));
        fixtures::WriteBytes(path, QByteArray(length, 'x'));
        const TImageDetail &record = Added(path);
        EXPECT_EQ(record.FileSize, RoundedFileSize(length)) << length;
        EXPECT_EQ(record.Width, -1); // not a picture at all
        EXPECT_EQ(record.Height, -1);
    }
    EXPECT_EQ(m_library.Find(Path("f1000.png"))->FileSize, 896);
    EXPECT_EQ(m_library.Find(Path("f127.png"))->FileSize, 0);
    EXPECT_EQ(m_library.Find(Path("f1024.png"))->FileSize, 1024);
}

// The GIF decoder is chosen by the lower-cased extension: a GIF named .GIF
// is measured, the same bytes named .gif.bak are not (".bak" has no codec).
TEST_F(AddImageFileTest, GifRuleOnTheLowerCasedExtension)
{
    fixtures::WriteMagick(Path("anim.GIF"), "GIF", 11, 5, 2);
    QFile::copy(Path("anim.GIF"), Path("anim.gif.bak"));
    const TImageDetail &upper = Added(Path("anim.GIF"));
    EXPECT_EQ(upper.Width, 11);
    EXPECT_EQ(upper.Height, 5);
    const TImageDetail &backup = Added(Path("anim.gif.bak"));
    EXPECT_EQ(backup.Width, -1);
    EXPECT_EQ(backup.Height, -1);
    EXPECT_EQ(backup.FileSize, upper.FileSize);
}

TEST_F(AddImageFileTest, UndecodablePicturesAreRecordedAsMinusOne)
{
    const QByteArray jpeg = fixtures::JpegDeclaring(16, 16);
    struct Case { const char *name; QByteArray bytes; };
    QByteArray scrambled = jpeg;
    for (qsizetype i = 2; i < scrambled.size(); i += 3)
        scrambled[i] = char(0xA5);
    const Case cases[] = {
        {"damaged.jpg", scrambled},                             // markers destroyed
        {"cut.jpg", jpeg.left(60)},                              // ends inside the headers
        {"huge.png", fixtures::PngDeclaring(100000, 100000)},    // over the decoding limit
        {"picture.emf", jpeg},                                   // no codec for EMF
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(c.name);
        fixtures::WriteBytes(path, c.bytes);
        const TImageDetail &record = Added(path);
        EXPECT_EQ(record.Width, -1);
        EXPECT_EQ(record.Height, -1);
        EXPECT_EQ(record.FileSize, RoundedFileSize(c.bytes.size()));
    }
}

TEST_F(AddImageFileTest, SamePathOnceCaseMatters)
{
    fixtures::WriteQt(Path("a.png"), "png", fixtures::CornerPicture(2, 2));
    fixtures::WriteQt(Path("A.png"), "png", fixtures::CornerPicture(3, 3));
    AddImageFile(m_library, Path("a.png"));
    AddImageFile(m_library, Path("a.png"));
    EXPECT_EQ(m_library.Count(), 1);
    AddImageFile(m_library, Path("A.png"));
    EXPECT_EQ(m_library.Count(), 2);
    // Present already: nothing is measured, so even a vanished file is fine.
    QFile::remove(Path("a.png"));
    EXPECT_NO_THROW(AddImageFile(m_library, Path("a.png")));
}

TEST_F(AddImageFileTest, RefusalsNameThePathAndAddNothing)
{
    const QString missing = Path("missing.png");
    QString tooLong = Path(QString(300, QLatin1Char('y')) + ".png");
    tooLong = tooLong.left(256); // 256 bytes: one more than the field holds
    for (const QString &path : {missing, tooLong, Path("é").leftJustified(255, QLatin1Char('x'))}) {
        try {
            AddImageFile(m_library, path);
            ADD_FAILURE() << "added " << path.toStdString();
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.what();
        }
    }
    EXPECT_EQ(m_library.Count(), 0);
}

TEST_F(AddImageFileTest, PathOf255BytesIsRecorded)
{
    const QString folder = Path(QString());
    const QString path = folder + QString(255 - folder.toUtf8().size() - 4, QLatin1Char('z')) + ".png";
    ASSERT_EQ(path.toUtf8().size(), 255);
    fixtures::WriteQt(path, "png", fixtures::CornerPicture(2, 2));
    EXPECT_EQ(Added(path).Width, 2);
}

TEST_F(AddImageFileTest, FileIsOpenedForWriting)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    const QString path = Path("readonly.png");
    fixtures::WriteQt(path, "png", fixtures::CornerPicture(2, 2));
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    EXPECT_THROW(AddImageFile(m_library, path), EZavelonError);
    EXPECT_EQ(m_library.Count(), 0);
}

} // namespace
