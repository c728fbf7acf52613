#include "engine/HTMLScan.h"

#include "engine/Errors.h"
#include "engine/Tags.h"
#include "engine/URLPath.h"

#include <QPointer>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace std::literals;

namespace {

using Texts = std::vector<std::string>;

const QString kPageDir = QStringLiteral("http://h/d/");

QByteArray Bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

Texts LinkURLs(const THTMLScan &scanner)
{
    Texts urls;
    for (qsizetype i = 0; i < scanner.Links().Count(); ++i)
        urls.push_back(scanner.Links().Get(i)->URL().toStdString());
    return urls;
}

// As the worker does it: MainURL first, then the page.
Texts Scan(std::string_view page, const QString &mainURL = kPageDir)
{
    THTMLScan scanner;
    scanner.SetMainURL(mainURL);
    scanner.SetHTMLText(Bytes(page));
    return LinkURLs(scanner);
}

Texts ToTexts(const QStringList &list)
{
    Texts texts;
    for (const QString &text : list)
        texts.push_back(text.toStdString());
    return texts;
}

} // namespace

TEST(HTMLScan, LinksOfTags)
{
    struct Case { std::string_view page; Texts links; };
    const Case cases[] = {
        // The value stops at the first space; quotes are left out.
        {"<img src='a.jpg' alt='x'>", {"http://h/d/a.jpg"}},
        {"<a href=\"a b.html\">", {"http://h/d/a"}},
        {"<a href='x\"y'>", {"http://h/d/xy"}},
        {"<a href=''>", {}},
        {"<a href = 'b.html'>", {}},
        // Only a space ends the value: other blanks are trimmed at the ends
        // and kept inside.
        {"<a href=\tx.html>", {"http://h/d/x.html"}},
        {"<a href=x.html\nclass=y>", {"http://h/d/x.html\nclass=y"}},
        // A leading slash is still below the page's directory; a lone one stays.
        {"<a href=/c/e.html>", {"http://h/d/c/e.html"}},
        {"<a href=/>", {"http://h/d/"}},
        {"<a href='../up.html'>", {"http://h/up.html"}},
        // ".." stops at the root: it never climbs into the host name.
        {"<a href='../../../x.html'>", {"http://h/x.html"}},
        {"<a href=./a.html>", {"http://h/d/./a.html"}},
        {"<a href=a/./../b>", {"http://h/d/a/b"}},
        {"<a href='http://g/'>", {"http://g"}},
        {"<a href='http://g/a/../b'>", {"http://g/b"}},
        {"<a href='HTTP://G/Pic.JPG'>", {"http://G/Pic.JPG"}},
        // https keeps its scheme; text that merely begins with "http" is
        // taken as absolute without a known prefix.
        {"<a href='https://g/x'>", {"https://g/x"}},
        {"<a href='HTTPS://G/x/'>", {"https://G/x"}},
        {"<a href='https:/g/x'>", {"http://https:/g/x"}},
        {"<a href='httpdocs/x.html'>", {"http://httpdocs/x.html"}},
        // Nothing after the prefix: no link; ".." up to the root: the root.
        {"<a href=http://>", {}},
        {"<a href='HTTPS://'>", {}},
        {"<a href=../../..>", {"http://h"}},
        {"<a href='mailto:m'>", {"http://h/d/mailto:m"}},
        {"<a href='#top'>", {"http://h/d/#top"}},
        {"<a href='p.php?a=1&amp;b=2'>", {"http://h/d/p.php?a=1&amp;b=2"}},
        {"<a href=x.html?a=b>", {"http://h/d/x.html?a=b"}},
        // Keywords in any case, inside other words, at most once each, and
        // always in the order src, href, url.
        {"<IMG SRC=\"A.JPG\">", {"http://h/d/A.JPG"}},
        {"<img data-srcset=v.png>", {"http://h/d/v.png"}},
        {"<a title=urlaub href=x>", {"http://h/d/x", "http://h/d/x"}},
        {"<img src=a.jpg src=b.jpg>", {"http://h/d/a.jpg"}},
        {"<img src='s.gif' href='t.html'>", {"http://h/d/s.gif", "http://h/d/t.html"}},
        {"<a href='t.html' src='s.gif'>", {"http://h/d/s.gif", "http://h/d/t.html"}},
        {"<meta http-equiv='refresh' content='0; url=next.html'>", {"http://h/d/next.html"}},
        {"<body background='bg.jpg'>", {}},
        // A keyword takes the next "=" of the tag, wherever it is.
        {"<a href>", {}},
        {"<img src alt=y>", {"http://h/d/y"}},
        // Angle brackets are all the markup there is.
        {"<a href=x.html>Next >>", {"http://h/d/x.html", "http://h/d/x.html", "http://h/d/x.html"}},
        {"<img src=a href=b>>", {"http://h/d/a", "http://h/d/b", "http://h/d/a", "http://h/d/b"}},
        {"<a href='x>y'>", {"http://h/d/x", "http://h/d/x"}},
        {"<!-- <a href=c.html> -->", {"http://h/d/c.html", "http://h/d/c.html"}},
        {"<a <img src=x>", {"http://h/d/x"}},
        {"><a href=b>", {"http://h/d/b"}},
        {"<p>>>", {}},
        {"<a href=x.html", {}},
        {"a href=x.html>", {}},
        {"", {}},
        // Bytes as received: NUL is an ordinary byte; UTF-8 is decoded only
        // for the result, invalid bytes as U+FFFD.
        {"<a\0 href=a.html>\0<img src=b\0c.gif>"sv, {"http://h/d/a.html", "http://h/d/b\0c.gif"s}},
        {"<a href=bild-\xC3\xA4.jpg>", {"http://h/d/bild-\xC3\xA4.jpg"}},
        {"<a href=\xFF.jpg>", {"http://h/d/\xEF\xBF\xBD.jpg"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Scan(c.page), c.links) << "page: " << c.page;
}

TEST(HTMLScan, RelativeLinksFollowThePageScheme)
{
    EXPECT_EQ(Scan("<img src=a.jpg><a href=../up.html>", QStringLiteral("https://h/d/")),
              (Texts{"https://h/d/a.jpg", "https://h/up.html"}));
    EXPECT_EQ(Scan("<img src=a.jpg>", QStringLiteral("http://h:8080/d")), Texts{"http://h:8080/d/a.jpg"});
}

TEST(HTMLScan, SettersScanAgainAndAppend)
{
    THTMLScan scanner;
    scanner.SetMainURL(QStringLiteral("http://h/d"));
    EXPECT_EQ(scanner.MainURL(), kPageDir);
    EXPECT_EQ(scanner.Links().Count(), 0);

    const QByteArray page("<img src=a.jpg>");
    scanner.SetHTMLText(page);
    EXPECT_EQ(LinkURLs(scanner), Texts{"http://h/d/a.jpg"});

    // Equal values change nothing.
    scanner.SetHTMLText(page);
    scanner.SetMainURL(kPageDir);
    EXPECT_EQ(scanner.Links().Count(), 1);

    // A value equal only once the "/" is added is still a change.
    scanner.SetMainURL(QStringLiteral("http://h/d"));
    EXPECT_EQ(LinkURLs(scanner), (Texts{"http://h/d/a.jpg", "http://h/d/a.jpg"}));

    // A new text is scanned behind the links found so far.
    scanner.SetHTMLText("<a href=b.html>");
    EXPECT_EQ(LinkURLs(scanner), (Texts{"http://h/d/a.jpg", "http://h/d/a.jpg", "http://h/d/b.html"}));
}

TEST(HTMLScan, TextBeforeMainURLScansTwice)
{
    THTMLScan scanner;
    scanner.SetHTMLText("<img src=a.jpg>");
    scanner.SetMainURL(kPageDir);
    EXPECT_EQ(LinkURLs(scanner), (Texts{"http://a.jpg", "http://h/d/a.jpg"}));
}

TEST(HTMLScan, MainURLIsAPropertyAndTheOwnerFreesTheScanner)
{
    QPointer<THTMLScan> scanner;
    {
        QObject owner;
        scanner = new THTMLScan(&owner);
        ASSERT_TRUE(scanner->setProperty("MainURL", QStringLiteral("http://h/x")));
        EXPECT_EQ(scanner->property("MainURL").toString(), QStringLiteral("http://h/x/"));
        scanner->SetHTMLText("<img src=a.jpg>");
        EXPECT_EQ(LinkURLs(*scanner), Texts{"http://h/x/a.jpg"});
    }
    EXPECT_TRUE(scanner.isNull());
}

TEST(HTMLScan, HostilePagesStayCorrect)
{
    // Every ">" after a tag repeats it: the links must repeat as often, up
    // to the cap of links per page; the rest are counted and dropped.
    const std::string repeats = "<a href=x>" + std::string(THTMLScan::kMaxLinks - 1, '>');
    const Texts links = Scan(repeats);
    ASSERT_EQ(links.size(), size_t(THTMLScan::kMaxLinks));
    EXPECT_EQ(links.front(), "http://h/d/x");
    EXPECT_EQ(links.back(), "http://h/d/x");
    for (const std::string &extra : {std::string(10, '>'), std::string("<a href=y><img src=z>")}) {
        THTMLScan capped;
        capped.SetMainURL(QStringLiteral("http://h/d/"));
        capped.SetHTMLText(QByteArray::fromStdString(repeats + extra));
        EXPECT_EQ(capped.Links().Count(), THTMLScan::kMaxLinks);
        EXPECT_EQ(capped.IgnoredLinks(), extra[0] == '>' ? 10 : 2);
    }

    std::string climb = "<a href=";
    for (int i = 0; i < 50000; ++i)
        climb += "../";
    climb += "x>";
    EXPECT_EQ(Scan(climb), Texts{"http://h/x"});

    EXPECT_EQ(Scan(std::string(100000, '<')), Texts{});
}

TEST(Tags, CutsAtAngleBrackets)
{
    struct Case { std::string_view text; Texts tags; };
    const Case cases[] = {
        {"", {}},
        {"plain text", {}},
        {"<a><b c=d>", {"a", "b c=d"}},
        {"<>", {""}},
        {">", {""}},
        {"x>", {""}},
        {"<a>x>y>", {"a", "a", "a"}},
        {"<a>><b>", {"a", "a", "b"}},
        {"<a<b>", {"b"}},
        {"<a", {}},
        {"<a>tail<b", {"a"}},
        {"<a\0b>\0>"sv, {"a\0b"s, "a\0b"s}},
    };
    for (const Case &c : cases) {
        TTags tags;
        tags.SetText(Bytes(c.text));
        Texts cut;
        for (QByteArrayView tag : tags.Tags())
            cut.emplace_back(tag.data(), static_cast<size_t>(tag.size()));
        EXPECT_EQ(cut, c.tags) << "text: " << c.text;
    }
}

TEST(Tags, TextChangeRebuildsAndAssignCopies)
{
    TTags tags;
    tags.SetText("<a><b>");
    tags.SetText("<c>");
    ASSERT_EQ(tags.Tags().size(), 1);
    EXPECT_EQ(tags.Tags()[0], QByteArrayView("c"));

    TTags copy;
    copy.Assign(tags);
    tags.SetText("<d>");
    ASSERT_EQ(copy.Tags().size(), 1);
    EXPECT_EQ(copy.Tags()[0], QByteArrayView("c"));
    EXPECT_EQ(copy.Text(), QByteArray("<c>"));

    TURLPath path;
    EXPECT_THROW(copy.Assign(path), EZavelonError);
}

TEST(URLPath, Resolution)
{
    struct Case { const char *raw; Texts segments; std::string url; };
    const Case cases[] = {
        {"HTTP://G/Pic.JPG", {"G", "Pic.JPG"}, "http://G/Pic.JPG"},
        {"hTtPs://g/x/", {"g", "x"}, "https://g/x"},
        {"https:/g", {"https:", "g"}, "http://https:/g"},
        {"ftp://x/y", {"ftp:", "", "x", "y"}, "http://ftp://x/y"},
        {"g//x", {"g", "", "x"}, "http://g//x"},
        {"g\\a", {"g\\a"}, "http://g\\a"},
        // The text after the last "/" counts only when not blank, and then
        // untrimmed.
        {"g/a/ \t", {"g", "a"}, "http://g/a"},
        {"g/a/ b ", {"g", "a", " b "}, "http://g/a/ b "},
        {"a/./../b", {"a", "b"}, "http://a/b"},
        {"../x", {"x"}, "http://x"},
        // ".." never climbs above the root into the host.
        {"a/b/../../../c", {"a", "c"}, "http://a/c"},
        {"a/../../b/..", {"a"}, "http://a"},
        {"http://h/t/../../../../x/a.jpg", {"h", "x", "a.jpg"}, "http://h/x/a.jpg"},
        {"https://h:81/..", {"h:81"}, "https://h:81"},
        {"http://", {}, ""},
        {"https://", {}, ""},
        {"", {}, ""},
    };
    for (const Case &c : cases) {
        const TURLPath path(QString::fromUtf8(c.raw));
        EXPECT_EQ(path.RawURL(), QString::fromUtf8(c.raw));
        EXPECT_EQ(ToTexts(path.Segments()), c.segments) << "raw: " << c.raw;
        EXPECT_EQ(path.URL().toStdString(), c.url) << "raw: " << c.raw;
        EXPECT_EQ(path.HasURL(), !c.url.empty()) << "raw: " << c.raw;
    }
}

TEST(URLPath, NewRawTextResolvesAgainAndAssignCopies)
{
    TURLPath path(QStringLiteral("http://g/a"));
    path.SetRawURL(QStringLiteral("http://g/b/../c"));
    EXPECT_EQ(path.URL(), QStringLiteral("http://g/c"));
    EXPECT_EQ(ToTexts(path.Segments()), (Texts{"g", "c"}));

    TURLPath copy;
    copy.Assign(path);
    EXPECT_EQ(copy.RawURL(), path.RawURL());
    EXPECT_EQ(copy.URL(), path.URL());
    EXPECT_EQ(copy.Segments(), path.Segments());

    TTags tags;
    try {
        copy.Assign(tags);
        FAIL() << "assigning tags to a link must fail";
    } catch (const EZavelonError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot assign a TTags to a TURLPath"));
    }

    const TURLPath bytes(QByteArrayView("g/\xFF"));
    EXPECT_EQ(bytes.URL(), QStringLiteral("http://g/\uFFFD"));
}

TEST(URLPathItems, AddsOnlyResolvedLinks)
{
    TURLPathItems items;
    EXPECT_EQ(items.Add(QStringLiteral("http://g/a")), 0);
    EXPECT_EQ(items.Add(QStringLiteral("http://")), -1);
    EXPECT_EQ(items.AddBytes("b"), 1);
    EXPECT_EQ(items.AddCopy(*items.Get(0)), 2);
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items.Get(1)->URL(), QStringLiteral("http://b"));
    EXPECT_EQ(items.Get(2)->URL(), QStringLiteral("http://g/a"));
    EXPECT_THROW(items.Get(3), EZavelonError);
    EXPECT_THROW(items.Get(-1), EZavelonError);
}

TEST(PageExtension, Classification)
{
    struct Case { const char *extension; bool page; };
    const Case cases[] = {
        {"", true}, {"  \t", true}, {".html", true}, {"HTM", true}, {" php ", true},
        {"shtml", true}, {".ASP", true}, {"dll", true}, {"cgi", true},
        {"jpg", false}, {"php3", false}, {".jsp", false}, {"..html", false}, {"html.", false},
        // The dot is dropped from the argument as given, so a blank before it
        // takes its place.
        {" .html", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsPageExtension(QString::fromUtf8(c.extension)), c.page) << "extension: '" << c.extension << "'";
}

TEST(StartsWithHttp, TextAndBytes)
{
    struct Case { const char *text; bool http; };
    const Case cases[] = {
        {"", true}, {"Http:", true}, {"http", true}, {"HTTPS://x", true}, {"httpdocs", true},
        {"htt", false}, {"ftp://x", false}, {"/http", false}, {" http", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(StartsWithHttp(QString::fromUtf8(c.text)), c.http) << "text: '" << c.text << "'";
        EXPECT_EQ(StartsWithHttp(QByteArrayView(c.text)), c.http) << "bytes: '" << c.text << "'";
    }
}
