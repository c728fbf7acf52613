#include "imaging/DecodeLimit.h"
#include "imaging/Gif.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFormat.h"

#include "engine/Errors.h"
#include "imaging/PictureFixtures.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <thread>
#include <vector>

namespace {

class ImageServicesTest : public ::testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // Expects `call` to fail with an EZavelonError that names `path`.
    static void ExpectErrorNaming(const QString &path, const std::function<void()> &call, const char *what = "")
    {
        try {
            call();
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.what();
            EXPECT_TRUE(error.message().contains(QLatin1String(what))) << error.what();
        }
    }

    QTemporaryDir m_dir;
};

struct CodecCase {
    const char *path;
    TPictureCodec::Kind kind;
    const char *format;
};

TEST(PictureFormat, CodecByLowerCasedExtension)
{
    const CodecCase cases[] = {
        {"a.jpg", TPictureCodec::Qt, "jpeg"},   {"a.JPEG", TPictureCodec::Qt, "jpeg"},
        {"a.Png", TPictureCodec::Qt, "png"},    {"a.bmp", TPictureCodec::Qt, "bmp"},
        {"a.ICO", TPictureCodec::Qt, "ico"},    {"a.tif", TPictureCodec::Qt, "tiff"},
        {"a.tiff", TPictureCodec::Qt, "tiff"},  {"a.tga", TPictureCodec::Qt, "tga"},
        {"a.GIF", TPictureCodec::Gif, "gif"},   {"a.pcx", TPictureCodec::Magick, "PCX"},
        {"a.pcc", TPictureCodec::Magick, "PCX"}, {"a.DCX", TPictureCodec::Magick, "DCX"},
        {"a.vst", TPictureCodec::Magick, "TGA"}, {"a.wmf", TPictureCodec::Magick, "WMF"},
        {"a.emf", TPictureCodec::None, ""},     {"a.afi", TPictureCodec::None, ""},
        {"a.gif.bak", TPictureCodec::None, ""}, {"dir.png/noext", TPictureCodec::None, ""},
        {"", TPictureCodec::None, ""},
    };
    for (const CodecCase &c : cases) {
        const TPictureCodec codec = CodecForFile(QString::fromUtf8(c.path));
        EXPECT_EQ(codec.kind, c.kind) << c.path;
        EXPECT_EQ(codec.format, QByteArray(c.format)) << c.path;
    }
}

TEST(PictureFormat, ExtensionAndGifRule)
{
    EXPECT_EQ(PictureExtension(QStringLiteral("/x/Y.GIF")), QStringLiteral(".gif"));
    EXPECT_EQ(PictureExtension(QStringLiteral("/x.y/z")), QString());
    EXPECT_EQ(PictureExtension(QStringLiteral("/x/name.")), QStringLiteral("."));
    EXPECT_TRUE(IsGifFile(QStringLiteral("/x/a.GIF")));
    EXPECT_TRUE(IsGifFile(QStringLiteral("/x/a.gif ")));
    EXPECT_FALSE(IsGifFile(QStringLiteral("/x/a.gif.bak")));
    EXPECT_FALSE(IsGifFile(QStringLiteral("/x.gif/a")));
}

// Every codec family reads a small file made by an encoder other than ours.
TEST_F(ImageServicesTest, ReadsEveryCodecFamily)
{
    const QImage sample = fixtures::CornerPicture(6, 4);
    struct Case {
        QString name;
        std::function<void(const QString &)> write;
        QSize size;
        bool exactCorner; // lossless, so the red top-left pixel survives
    };
    const auto qt = [&](const char *format) {
        return [&sample, format](const QString &path) { fixtures::WriteQt(path, format, sample); };
    };
    const auto magick = [](const char *format) {
        return [format](const QString &path) { fixtures::WriteMagick(path, format, 6, 4); };
    };
    const Case cases[] = {
        {"a.png", qt("png"), {6, 4}, true},
        {"a.JPG", qt("jpeg"), {6, 4}, false},
        {"a.jpeg", qt("jpeg"), {6, 4}, false},
        {"a.bmp", qt("bmp"), {6, 4}, true},
        {"a.ico", qt("ico"), {6, 4}, true},
        {"a.tif", qt("tiff"), {6, 4}, true},
        {"a.TIFF", qt("tiff"), {6, 4}, true},
        {"a.gif", magick("GIF"), {6, 4}, true},
        {"a.tga", magick("TGA"), {6, 4}, true},
        {"a2.tga", // TGA 2.0, which Qt's reader takes
         [](const QString &path) {
             fixtures::WriteMagick(path, "TGA", 6, 4);
             QFile file(path);
             file.open(QIODevice::Append);
             file.write(QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.\0", 18));
         },
         {6, 4}, false},
        {"a.pcx", magick("PCX"), {6, 4}, true},
        {"a.PCC", magick("PCX"), {6, 4}, true},
        {"a.dcx", magick("DCX"), {6, 4}, true},
        {"a.vst", magick("TGA"), {6, 4}, true},
        {"a.wmf", [](const QString &path) { fixtures::WriteBytes(path, fixtures::WmfBytes(1440, 720)); }, {72, 36}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString path = Path(c.name);
        c.write(path);
        const QImage image = LoadFirstImage(path);
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(ImageCount(path), 1);
        if (c.exactCorner) {
            EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0));
        }
        EXPECT_EQ(LoadImages(path, 1).size(), 1);
    }
}

TEST_F(ImageServicesTest, MultiImageFiles)
{
    struct Case { const char *name; const char *format; };
    for (const Case c : {Case{"pages.dcx", "DCX"}, Case{"frames.gif", "GIF"}}) {
        SCOPED_TRACE(c.name);
        const QString path = Path(c.name);
        fixtures::WriteMagick(path, c.format, 5, 3, 3);
        EXPECT_EQ(ImageCount(path), 3);
        EXPECT_EQ(LoadAllImages(path).size(), 3);
        EXPECT_EQ(LoadImages(path, 0).size(), 3);
        EXPECT_EQ(LoadFirstImage(path).size(), QSize(5, 3));
    }
    TGif gif;
    gif.LoadFromFile(Path("frames.gif"));
    EXPECT_EQ(QSize(gif.Width(), gif.Height()), QSize(5, 3));
    EXPECT_EQ(gif.Bitmap().pixelColor(0, 0), QColor(255, 0, 0));
}

TEST_F(ImageServicesTest, UnknownExtensionFailsNamingTheFile)
{
    // Valid PNG bytes do not help: the extension alone chooses the codec.
    for (const char *name : {"a.emf", "a.afi", "a.xyz", "noext", "a.png.bak"}) {
        const QString path = Path(name);
        fixtures::WriteQt(path, "png", fixtures::CornerPicture(3, 3));
        ExpectErrorNaming(path, [&] { LoadFirstImage(path); }, "Unknown picture format");
        ExpectErrorNaming(path, [&] { ImageCount(path); }, "Unknown picture format");
    }
}

TEST_F(ImageServicesTest, ContentIsNotSniffed)
{
    const QString path = Path("really-a-png.jpg");
    fixtures::WriteQt(path, "png", fixtures::CornerPicture(3, 3));
    ExpectErrorNaming(path, [&] { LoadFirstImage(path); });
    const QString pcx = Path("really-a-png.pcx");
    fixtures::WriteQt(pcx, "png", fixtures::CornerPicture(3, 3));
    ExpectErrorNaming(pcx, [&] { LoadFirstImage(pcx); });
}

TEST_F(ImageServicesTest, DamagedAndMissingFilesFailNamingTheFile)
{
    const QString missing = Path("missing.png");
    ExpectErrorNaming(missing, [&] { LoadFirstImage(missing); });
    ExpectErrorNaming(Path("missing.pcx"), [&] { LoadFirstImage(Path("missing.pcx")); });
    for (const char *name : {"junk.png", "junk.jpg", "junk.gif", "junk.bmp", "junk.tif", "junk.pcx", "junk.dcx", "junk.wmf"}) {
        const QString path = Path(name);
        fixtures::WriteBytes(path, QByteArray("this is not a picture at all").repeated(8));
        ExpectErrorNaming(path, [&] { LoadFirstImage(path); });
    }
    // A JPEG cut off inside its headers.
    const QString cut = Path("cut.jpg");
    fixtures::WriteBytes(cut, fixtures::JpegDeclaring(16, 16).left(40));
    ExpectErrorNaming(cut, [&] { LoadFirstImage(cut); });
}

// Tiny files declaring 16000 x 16000 pixels (about 1 GiB decoded) fail
// before any pixel is allocated, whatever decoder reads them.
TEST_F(ImageServicesTest, DeclaredSizeOverTheLimitFails)
{
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"huge.png", fixtures::PngDeclaring(100000, 100000)},
        {"huge.png2.png", fixtures::PngDeclaring(16000, 16000)},
        {"huge.gif", fixtures::GifDeclaring(16000, 16000)},
        {"huge.tga", fixtures::TgaDeclaring(16000, 16000)},
        {"huge.jpg", fixtures::JpegDeclaring(16000, 16000)},
        {"huge.pcx", fixtures::PcxDeclaring(16000, 16000)},
        {"huge.vst", fixtures::TgaDeclaring(16000, 16000)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(c.name);
        fixtures::WriteBytes(path, c.bytes);
        ASSERT_LT(c.bytes.size(), 1000);
        ExpectErrorNaming(path, [&] { LoadFirstImage(path); }, "too large");
    }
    TGif gif;
    ExpectErrorNaming(Path("huge.gif"), [&] { gif.LoadFromFile(Path("huge.gif")); }, "too large");
}

TEST(DecodeLimit, Arithmetic)
{
    EXPECT_EQ(DecodedBytes(QSize(3, 2)), 24);
    EXPECT_EQ(DecodedBytes(QSize(-1, 5)), 0);
    EXPECT_NO_THROW(CheckDecodedSize("x", QSize(16384, 8192)));   // exactly 512 MiB
    EXPECT_THROW(CheckDecodedSize("x", QSize(16384, 8193)), EZavelonError);
    EXPECT_THROW(CheckDecodedSize("x", QSize(1, 1), kMaxDecodedBytes), EZavelonError);
    EXPECT_THROW(CheckDecodedSize("x", QSize(100000, 100000)), EZavelonError);
}

TEST(Rotation, QuarterTurnsSwapWidthAndHeight)
{
    const QImage source = fixtures::CornerPicture(3, 2); // red top-left, green top-right
    const QImage right = RotatePicture(source, 90);
    ASSERT_EQ(right.size(), QSize(2, 3));
    // Clockwise: the top-left corner goes to the top-right.
    EXPECT_EQ(right.pixelColor(1, 0), QColor(255, 0, 0));
    EXPECT_EQ(right.pixelColor(1, 2), QColor(0, 255, 0));
    const QImage left = RotatePicture(source, -90);
    ASSERT_EQ(left.size(), QSize(2, 3));
    // Anticlockwise: the top-left corner goes to the bottom-left.
    EXPECT_EQ(left.pixelColor(0, 2), QColor(255, 0, 0));
    EXPECT_EQ(left.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(RotatePicture(right, -90), source);

    QImage inPlace = source;
    RotatePicture(inPlace, inPlace, 90);
    EXPECT_EQ(inPlace, right);
    EXPECT_THROW(RotatePicture(source, 180), EZavelonError);
    EXPECT_THROW(RotatePicture(source, 45), EZavelonError);
}

TEST(Copy, IsIndependent)
{
    const QImage original = fixtures::CornerPicture(4, 4);
    QImage copy = CopyPicture(original);
    copy.setPixelColor(0, 0, Qt::black);
    EXPECT_EQ(original.pixelColor(0, 0), QColor(255, 0, 0));
}

TEST_F(ImageServicesTest, SavesInItsOwnFormat)
{
    const QImage picture = fixtures::CornerPicture(7, 5);
    struct Case { const char *name; bool lossless; };
    for (const Case c : {Case{"s.png", true}, Case{"s.jpg", false}, Case{"s.bmp", true}, Case{"s.tif", true},
                         Case{"s.gif", true}, Case{"s.tga", true}, Case{"s.pcx", true}, Case{"s.PCC", true},
                         Case{"s.dcx", true}, Case{"s.vst", true}, Case{"s.ico", true}}) {
        SCOPED_TRACE(c.name);
        const QString path = Path(c.name);
        SavePicture(picture, path);
        const QImage back = LoadFirstImage(path);
        EXPECT_EQ(back.size(), picture.size());
        if (c.lossless) {
            EXPECT_EQ(back.pixelColor(6, 4), QColor(255, 255, 255));
        }
    }
    // Formats without an encoder fail, and leave nothing behind.
    for (const char *name : {"s.wmf", "s.emf", "s.afi", "s.xyz"}) {
        ExpectErrorNaming(Path(name), [&] { SavePicture(picture, Path(name)); });
        EXPECT_FALSE(QFile::exists(Path(name))) << name;
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 11);
    ExpectErrorNaming(Path("e.png"), [&] { SavePicture(QImage(), Path("e.png")); });
}

// The library measures on several threads at once.
TEST_F(ImageServicesTest, DecodesOnManyThreadsAtOnce)
{
    const QImage sample = fixtures::CornerPicture(9, 7);
    const QStringList names{"t.png", "t.jpg", "t.bmp", "t.tif", "t.gif", "t.pcx", "t.tga", "t.dcx"};
    fixtures::WriteQt(Path("t.png"), "png", sample);
    fixtures::WriteQt(Path("t.jpg"), "jpeg", sample);
    fixtures::WriteQt(Path("t.bmp"), "bmp", sample);
    fixtures::WriteQt(Path("t.tif"), "tiff", sample);
    fixtures::WriteMagick(Path("t.gif"), "GIF", 9, 7);
    fixtures::WriteMagick(Path("t.pcx"), "PCX", 9, 7);
    fixtures::WriteMagick(Path("t.tga"), "TGA", 9, 7);
    fixtures::WriteMagick(Path("t.dcx"), "DCX", 9, 7);
    std::vector<std::thread> threads;
    std::vector<int> wrong(16, 0);
    for (int t = 0; t < 16; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                const QString path = Path(names[(t + round) % names.size()]);
                try {
                    if (LoadFirstImage(path).size() != QSize(9, 7) || ImageCount(path) != 1)
                        ++wrong[t];
                    if (IsGifFile(path)) {
                        TGif gif;
                        gif.LoadFromFile(path);
                        wrong[t] += gif.Width() != 9;
                    }
                } catch (const std::exception &) {
                    ++wrong[t];
                }
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(std::accumulate(wrong.begin(), wrong.end(), 0), 0);
}

} // namespace
