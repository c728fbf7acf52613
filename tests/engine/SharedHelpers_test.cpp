#include "engine/DateTime.h"
#include "engine/AsciiText.h"
#include "engine/FileNames.h"
#include "engine/WriteFiles.h"
#include "engine/Guid.h"
#include "engine/TextSlot.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

TEST(DateTime, KnownDayNumbers)
{
    struct Case { QDateTime when; double days; };
    const Case cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5},
        {QDateTime(QDate(2026, 12, 9), QTime(6, 0)), 46365.25},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(DateTimeToDays(c.when), c.days) << c.when.toString().toStdString();
        EXPECT_EQ(DaysToDateTime(c.days), c.when) << c.days;
    }
}

TEST(DateTime, RoundTripKeepsMilliseconds)
{
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
    EXPECT_EQ(DaysToDateTime(DateTimeToDays(when)), when);
    EXPECT_FALSE(DaysToDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
}

TEST(TextSlot, CutsAtCharacterBoundary)
{
    // "é" is two bytes: a 4-byte slot holds 3 bytes of text, so "aé" fits
    // and "abé" must lose the whole "é", never half of it.
    std::array<char, 4> slot{};
    WriteTextSlot(slot.data(), slot.size(), QStringLiteral("aé"));
    EXPECT_EQ(ReadTextSlot(slot.data(), slot.size()), QStringLiteral("aé"));
    WriteTextSlot(slot.data(), slot.size(), QStringLiteral("abé"));
    EXPECT_EQ(ReadTextSlot(slot.data(), slot.size()), QStringLiteral("ab"));
    EXPECT_EQ(slot[2], '\0');

    EXPECT_EQ(Utf8Prefix(QByteArray("\xE2\x82\xAC" "x"), 2), QByteArray());
    EXPECT_EQ(Utf8Prefix(QByteArray("\xE2\x82\xAC" "x"), 3), QByteArray("\xE2\x82\xAC"));
}

TEST(TextSlot, SlotWithoutNulReadsWhole)
{
    const char slot[3] = {'a', 'b', 'c'};
    EXPECT_EQ(ReadTextSlot(slot, 3), QStringLiteral("abc"));
}

TEST(Guid, RegistryTextForm)
{
    const QString guid = NewGuidText();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}$")).match(guid).hasMatch())
        << guid.toStdString();
    EXPECT_NE(guid, NewGuidText());
}

TEST(FileNames, AddBackslash)
{
    EXPECT_EQ(AddBackslash(QString()), QString());
    EXPECT_EQ(AddBackslash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("/a/")), QStringLiteral("/a/"));
}

TEST(FileNames, UniqueFileNameCounts)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QLatin1Char('/');
    auto touch = [&](const QString &name) {
        QFile file(base + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    EXPECT_EQ(UniqueFileName(base + "pic.jpg"), base + "pic.jpg");
    touch("pic.jpg");
    EXPECT_EQ(UniqueFileName(base + "pic.jpg"), base + "pic[0].jpg");
    touch("pic[0].jpg");
    EXPECT_EQ(UniqueFileName(base + "pic.jpg"), base + "pic[1].jpg");
    touch("a.b.jpg");
    EXPECT_EQ(UniqueFileName(base + "a.b.jpg"), base + "a[0].jpg");
    touch("readme");
    EXPECT_EQ(UniqueFileName(base + "readme"), base + "readme[0]");
}

TEST(FileNames, FitFileNameKeepsTheExtension)
{
    struct Case { QString path; int reserve; int max; QString fitted; };
    const QString n300(300, QLatin1Char('n'));
    const QString e(200, QLatin1Char('e'));
    const Case cases[] = {
        {"/d/short.jpg", 4, 255, "/d/short.jpg"},
        {"/d/" + n300 + ".jpg", 4, 255, "/d/" + QString(247, QLatin1Char('n')) + ".jpg"},
        {"/d/" + n300 + ".jpg", 20, 255, "/d/" + QString(231, QLatin1Char('n')) + ".jpg"},
        {"/d/" + n300, 4, 255, "/d/" + QString(251, QLatin1Char('n'))},
        // An extension too long to keep: the name is cut as a whole.
        {"/d/a." + e, 4, 100, "/d/a." + QString(94, QLatin1Char('e'))},
        // Never inside a character: "ä" is two bytes.
        {"/d/" + QString(200, QChar(0xE4)) + ".jpg", 4, 255, "/d/" + QString(123, QChar(0xE4)) + ".jpg"},
    };
    for (const Case &c : cases) {
        const QString fitted = FitFileName(c.path, c.reserve, c.max);
        EXPECT_EQ(fitted, c.fitted) << c.path.left(20).toStdString() << " " << c.reserve;
        EXPECT_LE(fitted.mid(3).toUtf8().size() + c.reserve, c.max);
    }
}

TEST(FileNames, ClaimedNamesAndTemporaryFilesAreTaken)
{
    QTemporaryDir dir;
    const QString base = dir.path() + "/pic.jpg";
    const QString first = ClaimUniqueFileName(base, 4);
    EXPECT_EQ(first, base);
    EXPECT_EQ(ClaimUniqueFileName(base, 4), dir.path() + "/pic[0].jpg") << "claimed by a writer";
    QFile temporary(dir.path() + "/pic[1].jpg!!wr"); // another program writes it
    ASSERT_TRUE(temporary.open(QIODevice::WriteOnly));
    EXPECT_EQ(ClaimUniqueFileName(base, 4), dir.path() + "/pic[2].jpg");
    ReleaseWriteFile(first);
    EXPECT_EQ(ClaimUniqueFileName(base, 4), base);
    for (const QString &name : {base, dir.path() + "/pic[0].jpg", dir.path() + "/pic[2].jpg"})
        ReleaseWriteFile(name);
}

TEST(AsciiText, EscapeControlChars)
{
    struct Case { QString text; QString escaped; };
    const Case cases[] = {
        {"plain http://h/a b.jpg", "plain http://h/a b.jpg"},
        {"a\x1b[31mred", "a\\x1B[31mred"},
        {"line\nbreak\r\t", "line\\x0Abreak\\x0D\\x09"},
        {QString("del") + QChar(0x7F) + QChar(0x85) + QChar(0x9F) + QChar(0xA0) + QChar(0xE4),
         QString("del\\x7F\\x85\\x9F") + QChar(0xA0) + QChar(0xE4)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EscapeControlChars(c.text), c.escaped) << c.text.toStdString();
}
