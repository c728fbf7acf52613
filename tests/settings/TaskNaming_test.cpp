#include "settings/TaskNaming.h"

#include "settings/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TaskNaming, UrlCompletion)
{
    struct Case { const char *url; const char *completed; };
    const Case cases[] = {
        {"www.example.com/pics", "http://www.example.com/pics"},
        {"http://example.com", "http://example.com"},
        {"HTTP://EXAMPLE.COM", "HTTP://EXAMPLE.COM"},
        // The mend: an https address is left alone too.
        {"https://example.com", "https://example.com"},
        {"HTTPS://example.com", "HTTPS://example.com"},
        {"ftp://example.com", "http://ftp://example.com"},
        {"see http://example.com", "see http://example.com"},
        {"", "http://"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompleteUrl(QString::fromUtf8(c.url)), QString::fromUtf8(c.completed)) << c.url;
}

TEST(TaskNaming, NameValidation)
{
    for (const QChar refused : QStringLiteral("\"#$%&'*+,./:;<>?@\\^|"))
        EXPECT_FALSE(IsValidTaskName(QStringLiteral("a") + refused + QStringLiteral("b"))) << refused.toLatin1();
    const char *const valid[] = {"task", "my task", "a=b", "-_!=([~)]{}`", " padded ", "caf\xC3\xA9 \xE6\xBC\xA2", "7"};
    for (const char *name : valid)
        EXPECT_TRUE(IsValidTaskName(QString::fromUtf8(name))) << name;
    for (const char *name : {"", "   ", "\t", "name.wrp", "a/b"})
        EXPECT_FALSE(IsValidTaskName(QString::fromUtf8(name))) << name;
}

TEST(TaskNaming, NameFromUrlIsUniqueInTheCurrentFolder)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString url = QStringLiteral("http://www.example.com:8080/pics/?a=*b\\c");
    EXPECT_EQ(NameFromUrl(url), QStringLiteral("httpwwwexamplecom8080picsa=bc"));
    QFile(QStringLiteral("httpwwwexamplecom8080picsa=bc")).open(QIODevice::WriteOnly);
    EXPECT_EQ(NameFromUrl(url), QStringLiteral("httpwwwexamplecom8080picsa=bc[0]"));
    QDir().mkdir(QStringLiteral("httpwwwexamplecom8080picsa=bc[0]"));
    EXPECT_EQ(NameFromUrl(url), QStringLiteral("httpwwwexamplecom8080picsa=bc[1]"));
    EXPECT_EQ(NameFromUrl(QStringLiteral("./:?*")), QString());
    QDir::setCurrent(previous);
}

TEST(TaskNaming, SaveFolderFollowsTheName)
{
    EXPECT_EQ(SaveFolderOfName(QStringLiteral("/data/Downloaded Files/"), QStringLiteral("site")),
              QStringLiteral("/data/Downloaded Files/site/"));
}
