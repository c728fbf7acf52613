#include "engine/DateTime.h"
#include "engine/FileNames.h"
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
