#include "engine/Errors.h"
#include "engine/MaskEntry.h"
#include "engine/RegOptions.h"

#include <QBuffer>
#include <QDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const QStringList kStandardMasks = {
    "gif, Saved", "jpg, Saved", "jpeg, Saved", "pcx, Saved", "tiff, Saved",
    "tif, Saved", "bmp, Saved", "png, Saved", "wmf, Saved",
};

QStringList Numbered(const QString &prefix, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << prefix + QString::number(i);
    return list;
}

QByteArray SlotText(const QByteArray &block, qsizetype at)
{
    return QByteArray(block.constData() + at); // up to the NUL
}

qint32 Int32At(const QByteArray &block, qsizetype at)
{
    return qFromLittleEndian<qint32>(block.constData() + at);
}

quint64 BitsOf(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double DoubleAt(const QByteArray &block, qsizetype at)
{
    const quint64 bits = qFromLittleEndian<quint64>(block.constData() + at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Options with a different, recognisable value in every field of the block.
TRegOptions Distinctive()
{
    TRegOptions o;
    o.UseProxyServer = true;
    o.AutoSaveLog = false;
    o.AutoShutDown = true;
    o.FileMinSize = -7;
    o.FileMaxSize = 123456;
    o.SeekDeep = 31;
    o.ProxyServerPort = 70000;
    o.ProxyLoginUserName = "proxy-user";
    o.DefaultFolder = "/data/pictures/";
    o.DefaultLogFolder = "/data/logs/";
    o.ProxyLoginPassword = "proxy-pw";
    o.ProxyServerAddr = "10.1.2.3";
    o.Scheme.SchemeCount = -3;
    o.Scheme.SchemeType = 9;
    o.Scheme.SchemeStartDate = 45000.123456789;
    o.Scheme.SchemeStartTime = 0.1 + 0.2;
    o.ExcludeFiles = {"spacer.gif", "", "Counter.JPG"};
    o.FileMasks = {"gif, Saved", "jpg, Photos, 2"};
    o.EnableFileLimit = false;
    o.NeedToLogin = true;
    o.LoginPassword = "pässwörd";
    o.LoginUserName = "user";
    return o;
}

void ExpectSameBlockFields(const TRegOptions &a, const TRegOptions &b)
{
    EXPECT_EQ(a.UseProxyServer, b.UseProxyServer);
    EXPECT_EQ(a.AutoSaveLog, b.AutoSaveLog);
    EXPECT_EQ(a.AutoShutDown, b.AutoShutDown);
    EXPECT_EQ(a.FileMinSize, b.FileMinSize);
    EXPECT_EQ(a.FileMaxSize, b.FileMaxSize);
    EXPECT_EQ(a.SeekDeep, b.SeekDeep);
    EXPECT_EQ(a.ProxyServerPort, b.ProxyServerPort);
    EXPECT_EQ(a.ProxyLoginUserName, b.ProxyLoginUserName);
    EXPECT_EQ(a.DefaultFolder, b.DefaultFolder);
    EXPECT_EQ(a.DefaultLogFolder, b.DefaultLogFolder);
    EXPECT_EQ(a.ProxyLoginPassword, b.ProxyLoginPassword);
    EXPECT_EQ(a.ProxyServerAddr, b.ProxyServerAddr);
    EXPECT_EQ(a.Scheme.SchemeCount, b.Scheme.SchemeCount);
    EXPECT_EQ(a.Scheme.SchemeType, b.Scheme.SchemeType);
    EXPECT_EQ(BitsOf(a.Scheme.SchemeStartDate), BitsOf(b.Scheme.SchemeStartDate));
    EXPECT_EQ(BitsOf(a.Scheme.SchemeStartTime), BitsOf(b.Scheme.SchemeStartTime));
    EXPECT_EQ(a.ExcludeFiles, b.ExcludeFiles);
    EXPECT_EQ(a.FileMasks, b.FileMasks);
    EXPECT_EQ(a.EnableFileLimit, b.EnableFileLimit);
    EXPECT_EQ(a.NeedToLogin, b.NeedToLogin);
    EXPECT_EQ(a.LoginPassword, b.LoginPassword);
    EXPECT_EQ(a.LoginUserName, b.LoginUserName);
}

} // namespace

TEST(MaskEntry, SplitsAtFirstComma)
{
    struct Case { const char *entry; const char *extension; const char *folder; };
    const Case cases[] = {
        {"gif, Saved", "gif", "Saved"},
        {"  JPG ,\tMy Pics \r\n", "JPG", "My Pics"},
        {"gif", "", ""},
        {"", "", ""},
        {", Saved", "", "Saved"},
        {"png,a,b", "png", "a,b"},
        {".gif, Saved", ".gif", "Saved"},
        {"\x01tif\x1f,\x7f", "tif", "\x7f"}, // only codes up to 32 are trimmed
        {"bmp,", "bmp", ""},
    };
    for (const Case &c : cases) {
        const TMaskEntry parts = SplitMaskEntry(QString::fromUtf8(c.entry));
        EXPECT_EQ(parts.Extension, QString::fromUtf8(c.extension)) << c.entry;
        EXPECT_EQ(parts.Folder, QString::fromUtf8(c.folder)) << c.entry;
    }
    // A non-breaking space is not a blank of the 8-bit rule: it stays.
    EXPECT_EQ(SplitMaskEntry(QStringLiteral("\u00A0gif, x")).Extension, QStringLiteral("\u00A0gif"));
}

TEST(MaskEntry, FindMaskIndex)
{
    TRegOptions options;
    options.FileMasks = kStandardMasks;
    options.FileMasks << "JPG, Second" << ", NoExtension" << "withoutcomma" << ".gif, Dotted";
    struct Case { const char *extension; int index; };
    const Case cases[] = {
        {"gif", 0}, {"jpg", 1}, {"JPG", 1}, {"  jpg\t", 1}, {"Jpeg", 2},
        {"jpe", -1}, {"html", -1}, {"wmf", 8},
        {"", 10},     // the first entry with an empty extension part
        {".gif", 12}, // a dot typed into an entry is part of its extension
        {"GİF", -1},  // only A-Z fold
    };
    for (const Case &c : cases)
        EXPECT_EQ(options.FindMaskIndex(QString::fromUtf8(c.extension)), c.index) << c.extension;

    options.FileMasks = kStandardMasks;
    EXPECT_EQ(options.FindMaskIndex(""), -1);
    options.FileMasks.clear();
    EXPECT_EQ(options.FindMaskIndex("gif"), -1);
}

TEST(MaskEntry, IsExcludedFile)
{
    TRegOptions options;
    options.ExcludeFiles = {"spacer.gif", "Counter.JPG ", "ÄRGER.png"};
    struct Case { const char *name; bool excluded; };
    const Case cases[] = {
        {"spacer.gif", true}, {"SPACER.GIF", true}, {"spacer", false},
        {"spacer.gif.bak", false}, {"counter.jpg", false}, {"counter.jpg ", true},
        {"ärger.PNG", true}, {"", false}, {"*.gif", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(options.IsExcludedFile(QString::fromUtf8(c.name)), c.excluded) << c.name;
}

TEST(RegOptions, FreshObjectsHoldDefaults)
{
    const TRegOptions o;
    EXPECT_FALSE(o.UseProxyServer);
    EXPECT_TRUE(o.AutoSaveLog);
    EXPECT_FALSE(o.AutoShutDown);
    EXPECT_EQ(o.FileMinSize, 10);
    EXPECT_EQ(o.FileMaxSize, 10240);
    EXPECT_EQ(o.SeekDeep, 5);
    EXPECT_EQ(o.ProxyServerPort, 80);
    EXPECT_EQ(o.ProxyLoginUserName, "guest");
    const QString temp = QDir::tempPath() + '/';
    EXPECT_EQ(o.DefaultFolder, temp);
    EXPECT_EQ(o.DefaultLogFolder, temp);
    EXPECT_EQ(o.ProjectPath, temp);
    EXPECT_EQ(o.ProxyLoginPassword, "");
    EXPECT_EQ(o.ProxyServerAddr, "192.168.0.1");
    EXPECT_TRUE(o.ExcludeFiles.isEmpty());
    EXPECT_TRUE(o.FileMasks.isEmpty());
    EXPECT_TRUE(o.EnableFileLimit);
    EXPECT_FALSE(o.NeedToLogin);
    EXPECT_EQ(o.LoginPassword, "");
    EXPECT_EQ(o.LoginUserName, "");
    EXPECT_FALSE(o.DefaultTaskAdded);

    const TRegScheme s;
    EXPECT_EQ(s.SchemeCount, 0);
    EXPECT_EQ(s.SchemeType, 0);
    EXPECT_EQ(BitsOf(s.SchemeStartDate), 0u);
    EXPECT_EQ(BitsOf(s.SchemeStartTime), 0u);
}

TEST(RegOptions, AssignCopiesEverythingAndRefusesOtherClasses)
{
    TRegOptions source = Distinctive();
    source.ProjectPath = "/projects/";
    source.DefaultTaskAdded = true;
    TRegOptions target;
    target.FileMasks = {"old, entry"};
    target.Assign(source);
    ExpectSameBlockFields(target, source);
    EXPECT_EQ(target.ProjectPath, "/projects/");
    EXPECT_TRUE(target.DefaultTaskAdded);

    TRegScheme scheme;
    scheme.Assign(source.Scheme);
    EXPECT_EQ(scheme.SchemeType, 9);
    EXPECT_EQ(scheme.SchemeCount, -3);

    try {
        target.Assign(scheme);
        FAIL() << "assigning a schedule to options must fail";
    } catch (const EZavelonError &error) {
        EXPECT_EQ(error.message(), "Cannot assign a TRegScheme to a TRegOptions");
    }
    EXPECT_THROW(scheme.Assign(source), EZavelonError);
}

TEST(OptionsBlock, FieldsSitAtTheirOffsets)
{
    const QByteArray block = Distinctive().ToBlock();
    ASSERT_EQ(block.size(), 531520);
    EXPECT_EQ(SlotText(block, 0), "/data/pictures/");
    EXPECT_EQ(block[1024], 0); // EnableFileLimit
    EXPECT_EQ(Int32At(block, 1028), 123456);
    EXPECT_EQ(Int32At(block, 1032), -7);
    EXPECT_EQ(Int32At(block, 1040), 31);
    EXPECT_EQ(block[1045], 1); // AutoShutDown
    EXPECT_EQ(block[1046], 1); // UseProxyServer
    EXPECT_EQ(SlotText(block, 1047), "10.1.2.3");
    EXPECT_EQ(Int32At(block, 2072), 70000);
    EXPECT_EQ(SlotText(block, 2076), "proxy-user");
    EXPECT_EQ(SlotText(block, 3100), "proxy-pw");
    EXPECT_EQ(SlotText(block, 4124), "/data/logs/");
    EXPECT_EQ(block[5148], 0); // AutoSaveLog
    EXPECT_EQ(SlotText(block, 5149), "gif, Saved");
    EXPECT_EQ(SlotText(block, 5149 + 1024), "jpg, Photos, 2");
    EXPECT_EQ(SlotText(block, 5149 + 2048), "(end)");
    EXPECT_EQ(SlotText(block, 267293), "spacer.gif");
    EXPECT_EQ(SlotText(block, 267293 + 1024), "");
    EXPECT_EQ(SlotText(block, 267293 + 2048), "Counter.JPG");
    EXPECT_EQ(SlotText(block, 267293 + 3072), "(end)");
    EXPECT_EQ(static_cast<unsigned char>(block[529437]), 9);
    EXPECT_EQ(Int32At(block, 529440), -3);
    EXPECT_EQ(BitsOf(DoubleAt(block, 529448)), BitsOf(45000.123456789));
    EXPECT_EQ(BitsOf(DoubleAt(block, 529456)), BitsOf(0.1 + 0.2));
    EXPECT_EQ(block[529464], 1); // NeedToLogin
    EXPECT_EQ(SlotText(block, 529465), "user");
    EXPECT_EQ(QString::fromUtf8(SlotText(block, 530489)), "pässwörd");
}

TEST(OptionsBlock, RoundTripKeepsEveryFieldBitForBit)
{
    const double specials[][2] = {
        {0.0, -0.0},
        {std::numeric_limits<double>::denorm_min(), -1e308},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()},
    };
    for (const auto &dates : specials) {
        TRegOptions source = Distinctive();
        source.Scheme.SchemeStartDate = dates[0];
        source.Scheme.SchemeStartTime = dates[1];
        TRegOptions target;
        target.ProjectPath = "/kept/";
        target.DefaultTaskAdded = true;
        target.FileMasks = {"stale, entry"};
        target.FromBlock(source.ToBlock());
        ExpectSameBlockFields(target, source);
        EXPECT_EQ(target.ProjectPath, "/kept/");
        EXPECT_TRUE(target.DefaultTaskAdded);
    }
}

TEST(OptionsBlock, BooleansReadAnyNonZeroByteAsTrue)
{
    QByteArray block = TRegOptions().ToBlock();
    for (const qsizetype at : {1024, 1045, 1046, 5148, 529464})
        block[at] = char(0x80);
    TRegOptions o;
    o.FromBlock(block);
    EXPECT_TRUE(o.EnableFileLimit);
    EXPECT_TRUE(o.AutoShutDown);
    EXPECT_TRUE(o.UseProxyServer);
    EXPECT_TRUE(o.AutoSaveLog);
    EXPECT_TRUE(o.NeedToLogin);
}

TEST(OptionsBlock, ListLengthsAndEndMarker)
{
    struct Case { int count; int readBack; bool marker; };
    const Case cases[] = {{0, 0, true}, {1, 1, true}, {255, 255, true}, {256, 256, false}, {300, 256, false}};
    for (const Case &c : cases) {
        TRegOptions source;
        source.FileMasks = Numbered("m", c.count);
        source.ExcludeFiles = Numbered("x", c.count);
        const QByteArray block = source.ToBlock();
        if (c.marker) {
            EXPECT_EQ(SlotText(block, 5149 + c.count * 1024), "(end)") << c.count;
            EXPECT_EQ(SlotText(block, 267293 + c.count * 1024), "(end)") << c.count;
        }
        // The mask area never spills into the exclusion area, nor that into the schedule.
        EXPECT_EQ(SlotText(block, 267293), c.count ? "x0" : "(end)") << c.count;
        EXPECT_EQ(block[529437], 0) << c.count;
        TRegOptions target;
        target.FromBlock(block);
        EXPECT_EQ(target.FileMasks, Numbered("m", c.readBack)) << c.count;
        EXPECT_EQ(target.ExcludeFiles, Numbered("x", c.readBack)) << c.count;
    }
}

TEST(OptionsBlock, EndMarkerInsideAListEndsIt)
{
    TRegOptions source;
    source.ExcludeFiles = {"a.gif", "(end)", "b.gif"};
    source.FileMasks = {"(END), x", "(end)x", "gif, Saved"}; // not the marker: kept
    TRegOptions target;
    target.FromBlock(source.ToBlock());
    EXPECT_EQ(target.ExcludeFiles, QStringList{"a.gif"});
    EXPECT_EQ(target.FileMasks, source.FileMasks);
}

TEST(OptionsBlock, LongTextsAreCutWithinTheirSlot)
{
    TRegOptions source;
    // 1022 ASCII bytes then a 2-byte letter: the letter does not fit whole.
    source.DefaultFolder = QString(1022, 'a') + QStringLiteral("é") + "tail";
    source.ProxyServerAddr = QString(5000, 'b');
    source.FileMasks = {QString(2000, 'c'), "gif, Saved"};
    source.LoginPassword = QString(3000, 'p');
    const QByteArray block = source.ToBlock();
    ASSERT_EQ(block.size(), 531520);
    EXPECT_EQ(block[1023], 0);
    EXPECT_EQ(block[1024], 1); // EnableFileLimit untouched by the long folder
    EXPECT_EQ(block[1046], 0); // UseProxyServer untouched

    TRegOptions target;
    target.FromBlock(block);
    EXPECT_EQ(target.DefaultFolder, QString(1022, 'a'));
    EXPECT_EQ(target.ProxyServerAddr, QString(1023, 'b'));
    EXPECT_EQ(target.ProxyServerPort, 80);
    EXPECT_EQ(target.FileMasks, (QStringList{QString(1023, 'c'), "gif, Saved"}));
    EXPECT_EQ(target.LoginPassword, QString(1023, 'p'));
}

TEST(OptionsBlock, SlotWithoutNulReadsAllItsBytes)
{
    QByteArray block = TRegOptions().ToBlock();
    std::memset(block.data() + 1047, 'z', 1024); // ProxyServerAddr with no NUL
    TRegOptions o;
    o.FromBlock(block);
    EXPECT_EQ(o.ProxyServerAddr, QString(1024, 'z'));
}

TEST(OptionsBlock, StreamsReadAndWriteOneBlockAtTheirPosition)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    buffer.write("prefix");
    Distinctive().SaveToStream(buffer);
    buffer.write("after");
    EXPECT_EQ(buffer.size(), 6 + 531520 + 5);

    buffer.seek(6);
    TRegOptions target;
    target.LoadFromStream(buffer);
    ExpectSameBlockFields(target, Distinctive());
    EXPECT_EQ(buffer.read(5), "after");
}

TEST(OptionsBlock, ShortStreamIsRefusedAndChangesNothing)
{
    QByteArray data = Distinctive().ToBlock();
    data.chop(1);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TRegOptions target;
    try {
        target.LoadFromStream(buffer);
        FAIL() << "a block that ends early must be refused";
    } catch (const EZavelonError &error) {
        EXPECT_TRUE(error.message().contains("531519")) << error.what();
    }
    EXPECT_EQ(target.FileMinSize, 10);
    EXPECT_THROW(target.FromBlock(QByteArrayView(data)), EZavelonError);
}
