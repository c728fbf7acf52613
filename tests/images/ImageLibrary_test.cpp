#include "images/ImageLibrary.h"

#include "engine/Errors.h"
#include "engine/TextSlot.h"
#include "imaging/PictureFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

namespace {

const QByteArray kSignature("Quorvane Images Library File");

std::unique_ptr<TImageDetail> Record(const QString &name, double added = 0, qint32 size = 0, qint32 width = 0,
                                     qint32 height = 0)
{
    auto record = std::make_unique<TImageDetail>();
    record->FileName = name;
    record->Added = added;
    record->FileSize = size;
    record->Width = width;
    record->Height = height;
    return record;
}

QByteArray Saved(TImageLibrary &library)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    library.SaveToStream(buffer);
    return bytes;
}

void Load(TImageLibrary &library, const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    library.LoadFromStream(buffer);
}

QByteArray Header(qint32 count, const QByteArray &signature = kSignature, qint32 version = 227)
{
    QByteArray header(264, '\0');
    std::memcpy(header.data(), signature.constData(), size_t(signature.size()));
    qToLittleEndian(version, header.data() + 256);
    qToLittleEndian(count, header.data() + 260);
    return header;
}

QByteArray RecordBlock(const QByteArray &name, double added, qint32 size, qint32 height, qint32 width,
                       char filler = '\0', qint32 reserved = 0)
{
    QByteArray block(280, filler);
    std::memcpy(block.data(), name.constData(), size_t(name.size()));
    block[name.size()] = '\0';
    qToLittleEndian(added, block.data() + 256);
    qToLittleEndian(size, block.data() + 264);
    qToLittleEndian(height, block.data() + 268);
    qToLittleEndian(width, block.data() + 272);
    qToLittleEndian(reserved, block.data() + 276);
    return block;
}

TEST(ImageLibraryFormat, NewLibraryIsA264ByteHeader)
{
    TImageLibrary library;
    EXPECT_EQ(library.Header().Signature, QString::fromLatin1(kSignature));
    EXPECT_EQ(library.Header().Version, 227);
    EXPECT_EQ(library.Header().RecordCount, 0);
    const QByteArray bytes = Saved(library);
    EXPECT_EQ(bytes, Header(0));

    TImageLibrary back;
    Load(back, bytes);
    EXPECT_EQ(back.Count(), 0);
}

TEST(ImageLibraryFormat, ThreeRecordsByteForByte)
{
    // A date-time whose fraction has no short decimal form must survive bit for bit.
    const double added[3] = {46365.123456789012345, 0.1 + 0.2, -1.5e-300};
    TImageLibrary library;
    library.Add(Record("/pics/a.jpg", added[0], 896, 640, 480));
    library.Add(Record(QStringLiteral("/pics/é.png"), added[1], 0, -1, -1));
    library.Add(Record("/pics/c.gif", added[2], 1024, 1, 2));
    const QByteArray bytes = Saved(library);
    ASSERT_EQ(bytes.size(), 1104);
    EXPECT_EQ(bytes, Header(3) + RecordBlock("/pics/a.jpg", added[0], 896, 480, 640) +
                         RecordBlock(QStringLiteral("/pics/é.png").toUtf8(), added[1], 0, -1, -1) +
                         RecordBlock("/pics/c.gif", added[2], 1024, 2, 1));

    TImageLibrary back;
    Load(back, bytes);
    ASSERT_EQ(back.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TImageDetail *was = library.Items(i);
        const TImageDetail *is = back.Items(i);
        EXPECT_EQ(is->FileName, was->FileName);
        EXPECT_EQ(std::memcmp(&is->Added, &added[i], sizeof(double)), 0) << i;
        EXPECT_EQ(is->FileSize, was->FileSize);
        EXPECT_EQ(is->Width, was->Width);
        EXPECT_EQ(is->Height, was->Height);
    }
    EXPECT_EQ(Saved(back), bytes);
}

// Bytes the program never interprets go back to the file exactly as read:
// the header after its signature, a name slot after its NUL, the reserved
// field, even a name that is not valid UTF-8 or fills its slot without NUL.
TEST(ImageLibraryFormat, UninterpretedBytesAreWrittenBack)
{
    QByteArray header = Header(3);
    header.replace(40, 10, QByteArray("junk bytes"));
    QByteArray fullSlot = RecordBlock("", 2.5, 128, 3, 4);
    fullSlot.replace(0, 256, QByteArray(256, 'n'));
    const QByteArray file = header + RecordBlock("/x/a.jpg", 1.0, 128, 10, 20, '\x7f', 0x12345678) +
                            RecordBlock("/x/\xff\xfe.jpg", 2.0, 256, 1, 1, '\x01', -1) + fullSlot;
    TImageLibrary library;
    Load(library, file);
    ASSERT_EQ(library.Count(), 3);
    EXPECT_EQ(library.Items(0)->FileName, QStringLiteral("/x/a.jpg"));
    EXPECT_EQ(library.Items(0)->Width, 20);
    EXPECT_EQ(library.Items(0)->Height, 10);
    EXPECT_EQ(library.Items(2)->FileName, QString(256, QLatin1Char('n')));
    EXPECT_EQ(Saved(library), file);
}

TEST(ImageLibraryFormat, VersionIsRewrittenNotChecked)
{
    const QByteArray file = Header(1, kSignature, 5) + RecordBlock("/a.png", 1, 2, 3, 4);
    TImageLibrary library;
    Load(library, file);
    ASSERT_EQ(library.Count(), 1);
    EXPECT_EQ(Saved(library), Header(1) + RecordBlock("/a.png", 1, 2, 3, 4));
}

TEST(ImageLibraryFormat, OtherSignaturesLoadNothing)
{
    const QByteArray record = RecordBlock("/a.png", 1, 2, 3, 4);
    const QByteArray files[] = {
        Header(1, "Quorvane images Library File") + record, // one letter's case
        Header(1, "Quorvane Images Library") + record,
        Header(1, "Quorvane Images Library File!") + record,
        QByteArray(),
        Header(1).left(20), // cut inside the signature
        QByteArray(1000, '\xff'),
    };
    for (const QByteArray &file : files) {
        TImageLibrary library;
        Load(library, file);
        EXPECT_EQ(library.Count(), 0) << file.left(40).toStdString();
        EXPECT_EQ(library.LastLoadState(), TImageLibrary::TLoadState::Foreign) << file.left(40).toStdString();
    }
}

// A damaged file loads its whole records only: no empty phantom records for
// what is missing, and a damaged count makes up nothing.
TEST(ImageLibraryFormat, DamagedFilesLoadTheirWholeRecordsOnly)
{
    const QByteArray first = RecordBlock("/a.png", 1, 2, 3, 4);
    const QByteArray second = RecordBlock("/b.png", 5, 6, 7, 8);
    struct Case { QByteArray file; int records; TImageLibrary::TLoadState state; };
    const Case cases[] = {
        {Header(2) + first + second, 2, TImageLibrary::TLoadState::Loaded},
        {Header(4) + first + second.left(100), 1, TImageLibrary::TLoadState::Damaged},
        {Header(2) + first, 1, TImageLibrary::TLoadState::Damaged},
        {Header(1) + first + second, 1, TImageLibrary::TLoadState::Damaged}, // bytes after the last
        {Header(std::numeric_limits<qint32>::max()) + first, 1, TImageLibrary::TLoadState::Damaged},
        {Header(-1) + first, 0, TImageLibrary::TLoadState::Damaged},
        {Header(std::numeric_limits<qint32>::min()) + first, 0, TImageLibrary::TLoadState::Damaged},
    };
    for (const Case &c : cases) {
        TImageLibrary library;
        Load(library, c.file);
        ASSERT_EQ(library.Count(), c.records) << c.file.size();
        EXPECT_EQ(library.LastLoadState(), c.state) << c.file.size();
        EXPECT_EQ(library.LastLoadProblem().isEmpty(), c.state == TImageLibrary::TLoadState::Loaded);
        for (int i = 0; i < library.Count(); ++i)
            EXPECT_FALSE(library.Items(i)->FileName.isEmpty());
    }
    // Loading appends to what is there.
    TImageLibrary library;
    Load(library, Header(1) + first);
    Load(library, Header(1) + second);
    EXPECT_EQ(library.Count(), 2);
}

// A record that cannot be written is skipped, and the header is corrected so
// that its count equals the records that follow.
TEST(ImageLibraryFormat, SkippedRecordsCorrectTheCount)
{
    class FailingBuffer : public QBuffer
    {
    public:
        using QBuffer::QBuffer;
        int writes = 0;

    protected:
        qint64 writeData(const char *data, qint64 length) override
        {
            if (++writes == 3) // the second record
                return -1;
            return QBuffer::writeData(data, length);
        }
    };
    TImageLibrary library;
    for (const char *name : {"/a", "/b", "/c"})
        library.Add(Record(name));
    QByteArray bytes;
    FailingBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    library.SaveToStream(buffer);
    EXPECT_EQ(bytes, Header(2) + RecordBlock("/a", 0, 0, 0, 0) + RecordBlock("/c", 0, 0, 0, 0));
}

TEST(ImageLibraryFormat, NameOf255BytesFits)
{
    const QString longest = QLatin1Char('/') + QString(254, QLatin1Char('x'));
    TImageLibrary library;
    library.Add(Record(longest));
    TImageLibrary back;
    Load(back, Saved(library));
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Items(0)->FileName, longest);
    // A longer name given directly is cut at a character boundary, never
    // written past its slot.
    TImageLibrary over;
    over.Add(Record(QString(200, QChar(0x00E9))));
    const QByteArray bytes = Saved(over);
    ASSERT_EQ(bytes.size(), 264 + 280);
    EXPECT_EQ(ReadTextSlot(bytes.constData() + 264, 256), QString(127, QChar(0x00E9)));
}

TEST(ImageLibrary, FindIsExactAndFirst)
{
    TImageLibrary library;
    const TImageDetail *first = library.Add(Record("/p/A.jpg", 1));
    const TImageDetail *lower = library.Add(Record("/p/a.jpg", 2));
    const TImageDetail *second = library.Add(Record("/p/A.jpg", 3));
    EXPECT_EQ(library.Find("/p/A.jpg"), first);
    EXPECT_EQ(library.Find("/p/a.jpg"), lower);
    EXPECT_EQ(library.Find("/p/A.JPG"), nullptr);
    EXPECT_EQ(library.Find("/p//A.jpg"), nullptr);
    EXPECT_EQ(library.Find("/p/A.jpg "), nullptr);

    // The index follows Remove and Clear; removed records stay valid.
    EXPECT_TRUE(library.Remove(first));
    EXPECT_FALSE(library.Remove(first));
    EXPECT_EQ(library.Find("/p/A.jpg"), second);
    EXPECT_EQ(first->Added, 1.0);
    EXPECT_EQ(library.Count(), 2);
    EXPECT_EQ(library.Items(0), lower);
    library.Clear();
    EXPECT_EQ(library.Count(), 0);
    EXPECT_EQ(library.Find("/p/a.jpg"), nullptr);
    EXPECT_EQ(lower->Added, 2.0);
    EXPECT_THROW(library.Items(0), EZavelonError);
    EXPECT_THROW(library.Items(-1), EZavelonError);
}

TEST(ImageLibrary, AddIfAbsentKeepsOnePerPath)
{
    TImageLibrary library;
    EXPECT_NE(library.AddIfAbsent(Record("/a.png")), nullptr);
    EXPECT_EQ(library.AddIfAbsent(Record("/a.png")), nullptr);
    EXPECT_NE(library.AddIfAbsent(Record("/A.png")), nullptr);
    EXPECT_EQ(library.Count(), 2);
}

TEST(ImageLibrary, AssignCopiesFieldsAndRefusesOtherClasses)
{
    TImageDetail source;
    source.FileName = "/a.png";
    source.Added = 3.25;
    source.FileSize = 128;
    source.Width = 7;
    source.Height = 9;
    TImageDetail target;
    target.Assign(source);
    EXPECT_EQ(target.FileName, source.FileName);
    EXPECT_EQ(target.Added, 3.25);
    EXPECT_EQ(target.FileSize, 128);
    EXPECT_EQ(target.Width, 7);
    EXPECT_EQ(target.Height, 9);

    TImageLibraryHeader header;
    try {
        target.Assign(header);
        ADD_FAILURE() << "assigned a header to a record";
    } catch (const EZavelonError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot assign a TImageLibraryHeader to a TImageDetail"));
    }
    EXPECT_THROW(header.Assign(target), EZavelonError);
    TImageLibraryHeader other;
    other.RecordCount = 5;
    header.Assign(other);
    EXPECT_EQ(header.RecordCount, 5);
}

class ImageLibraryFileTest : public ::testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(ImageLibraryFileTest, SaveReplacesTheFileByRenaming)
{
    const QString name = ImageLibraryFileName(m_dir.path());
    EXPECT_EQ(name, m_dir.path() + "/imglib.db");
    EXPECT_EQ(ImageLibraryFileName(m_dir.path() + "/"), name);

    TImageLibrary library;
    library.Add(Record("/a.png"));
    library.SaveToFile(name);
    struct stat before {};
    ASSERT_EQ(stat(name.toLocal8Bit().constData(), &before), 0);
    library.Add(Record("/b.png"));
    library.SaveToFile(name);
    struct stat after {};
    ASSERT_EQ(stat(name.toLocal8Bit().constData(), &after), 0);
    // A new file took the old one's name: the old one was never truncated.
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(after.st_size, 264 + 2 * 280);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"imglib.db"});

    TImageLibrary back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Count(), 2);
}

TEST_F(ImageLibraryFileTest, OpenAndCreateErrorsNameTheFile)
{
    TImageLibrary library;
    for (const QString &name : {Path("missing.db"), m_dir.path()}) {
        try {
            library.LoadFromFile(name);
            ADD_FAILURE() << "loaded " << name.toStdString();
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(name)) << error.what();
        }
    }
    const QString nowhere = Path("no/such/folder/imglib.db");
    try {
        library.SaveToFile(nowhere);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EZavelonError &error) {
        EXPECT_TRUE(error.message().contains(nowhere)) << error.what();
    }
}

} // namespace
