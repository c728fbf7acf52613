#include "engine/Errors.h"
#include "engine/ItemLines.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/UrlList.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr qsizetype kItemsAt = 536656;

QByteArray Saved(const TTask &task)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    task.SaveToStream(buffer);
    return buffer.data();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A project file whose item area is `lines`, after an all-zero header and block.
QByteArray WithLines(const QByteArray &lines)
{
    return QByteArray(kItemsAt, '\0') + lines;
}

struct Loaded
{
    TTask task;
    explicit Loaded(const QByteArray &bytes)
    {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        task.LoadFromStream(buffer);
    }
};

void FillTask(TTask &task)
{
    task.SetName("Cats & Dogs");
    task.SetNote("line one\r\nline two, with comma");
    task.URL().SetURI("http:\\\\pets.example\\gallery\\index.html");
    task.SetID("{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}");
    task.SetStopped(false);
    task.Options().SeekDeep = 3;
    task.Options().FileMasks = {"jpg, Photos"};
    task.Options().LoginUserName = "me";
    task.Options().Scheme.SchemeStartDate = 45123.75;
    const struct { const char *url; bool done; int depth; } items[] = {
        {"http://pets.example/gallery/index.html", true, 0},
        {"http://pets.example/gallery/cat,1.jpg", false, 1},
        {"http://cdn.example/dog.png", true, 1},
        {"", false, -1},
    };
    for (const auto &i : items) {
        auto *item = new TTaskItem(&task, i.url);
        item->SetDone(i.done);
        item->SetDepth(i.depth);
        task.Items().Add(item);
    }
}

} // namespace

TEST(ItemLines, ParseTable)
{
    struct Case { const char *line; bool done; int depth; const char *url; };
    const Case cases[] = {
        {"1,2,http://h/b,c.jpg", true, 2, "http://h/b,c.jpg"},
        {"x,y,z", true, -1, "z"},
        {"0,3", false, 3, ""},
        {"", false, 0, ""},
        {"0,-1,http://h/", false, -1, "http://h/"},
        {"256,1,u", false, 1, "u"},   // only the low 8 bits count
        {"257,1,u", true, 1, "u"},
        {"-1,+4,u", true, 4, "u"},
        {"99999999999,1,u", true, 1, "u"}, // beyond 32 bits: not a number
        {" 1,1,u", true, 1, "u"},          // a blank makes it not a number
        {"0", false, -1, ""},
        {"0,", false, -1, ""},
        {"0,,", false, -1, ""},
        {",5,u", true, 5, "u"},
        {"0,2147483648,u", false, -1, "u"},
        {"0,-2147483648,u", false, -2147483647 - 1, "u"},
    };
    for (const Case &c : cases) {
        const TItemLine line = ParseItemLine(QString::fromUtf8(c.line));
        EXPECT_EQ(line.Done, c.done) << c.line;
        EXPECT_EQ(line.Depth, c.depth) << c.line;
        EXPECT_EQ(line.URL, c.url) << c.line;
    }
}

TEST(ItemLines, SplitTable)
{
    struct Case { QByteArray text; QList<QByteArray> lines; };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\r\n\r\n", {"a", ""}},
        {QByteArray("a\r\nb\0c\r\n", 8), {"a", "b"}},
        {QByteArray("\0a", 2), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitItemLines(c.text), c.lines) << c.text.toStdString();
}

TEST(ProjectFile, HeaderFieldsSitAtTheirOffsets)
{
    TTask task;
    FillTask(task);
    const QByteArray bytes = Saved(task);
    ASSERT_GE(bytes.size(), kItemsAt);
    EXPECT_EQ(bytes.left(5), "Dovek");
    EXPECT_EQ(bytes.mid(5, 4), QByteArray("QVN\0", 4));
    EXPECT_EQ(QByteArray(bytes.constData() + 11), "Cats & Dogs");
    EXPECT_EQ(QByteArray(bytes.constData() + 1035), "line one\r\nline two, with comma");
    EXPECT_EQ(QByteArray(bytes.constData() + 2059), "http://pets.example/gallery/index.html");
    EXPECT_EQ(QByteArray(bytes.constData() + 3083), "{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}");
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 5132), 0); // not stopped
    EXPECT_EQ(bytes.mid(5136, TRegOptions::kBlockSize), task.Options().ToBlock());
    EXPECT_EQ(bytes.mid(kItemsAt),
              "1,0,http://pets.example/gallery/index.html\r\n"
              "0,1,http://pets.example/gallery/cat,1.jpg\r\n"
              "1,1,http://cdn.example/dog.png\r\n"
              "0,-1,\r\n");

    TTask stopped;
    EXPECT_EQ(qFromLittleEndian<qint32>(Saved(stopped).constData() + 5132), 1);
    EXPECT_EQ(Saved(stopped).size(), kItemsAt);
}

TEST(ProjectFile, LongHeaderTextsStayInTheirSlots)
{
    TTask task;
    task.SetName(QString(1023, 'n') + QStringLiteral("€"));
    task.SetNote(QString(4000, 'o'));
    task.SetID(QString(2000, 'i'));
    const QByteArray bytes = Saved(task);
    EXPECT_EQ(bytes[11 + 1023], '\0');
    EXPECT_EQ(bytes[1035 + 1023], '\0');
    EXPECT_EQ(bytes[2059], '\0'); // the empty URL is untouched by the note
    Loaded loaded(bytes);
    EXPECT_EQ(loaded.task.Name(), QString(1023, 'n'));
    EXPECT_EQ(loaded.task.Note(), QString(1023, 'o'));
    EXPECT_EQ(loaded.task.ID(), QString(1023, 'i'));
}

TEST(ProjectFile, FileRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Cats.wrp");
    TTask task;
    FillTask(task);
    task.Items().Get(1)->SetRunning(true);
    task.SaveToFile(path);
    EXPECT_EQ(task.FileName(), "");

    TTask loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.FileName(), path);
    EXPECT_EQ(loaded.Name(), task.Name());
    EXPECT_EQ(loaded.Note(), task.Note());
    EXPECT_EQ(loaded.URL().URI(), "http://pets.example/gallery/index.html");
    EXPECT_EQ(loaded.URL().Host(), "pets.example");
    EXPECT_EQ(loaded.ID(), task.ID());
    EXPECT_FALSE(loaded.Stopped());
    EXPECT_EQ(loaded.Options().ToBlock(), task.Options().ToBlock());
    EXPECT_EQ(loaded.DoneCount(), 2);
    ASSERT_EQ(loaded.Items().Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const TTaskItem *a = task.Items().Get(i);
        const TTaskItem *b = loaded.Items().Get(i);
        EXPECT_EQ(b->URL().URI(), a->URL().URI()) << i;
        EXPECT_EQ(b->Done(), a->Done()) << i;
        EXPECT_EQ(b->Depth(), a->Depth()) << i;
        EXPECT_FALSE(b->Running()) << i;
        EXPECT_EQ(b->Task(), &loaded);
        EXPECT_EQ(b->TaskHost(), "pets.example");
    }
    // Saving again gives the same bytes.
    const QString again = dir.filePath("again.wrp");
    loaded.SaveToFile(again);
    QFile first(path), second(again);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), second.readAll());
}

TEST(ProjectFile, HandMadeItemLinesLoadInFileOrder)
{
    Loaded loaded(WithLines("1,2,http://h/b,c.jpg\n"
                            "x,y,z\r"
                            "0,3\r\n"
                            "\r\n"
                            "0,1,http://h/b,c.jpg\r\n"
                            "1,0,http://h/zzzzzzzzzzzzzzzzzzzzzzz\r\n"
                            "0,1,http:\\\\h\\b.jpg\r\n" +
                            QByteArray("0,1,after-nul\0" "0,1,never\r\n", 25)));
    const TTaskItemList &items = loaded.task.Items();
    // "0,3" gives an empty URL; the repeated URL stays: loading adds without tests.
    const struct { const char *url; bool done; int depth; } order[] = {
        {"http://h/b,c.jpg", true, 2}, {"z", true, -1}, {"", false, 3}, {"", false, 0},
        {"http://h/b,c.jpg", false, 1}, {"http://h/zzzzzzzzzzzzzzzzzzzzzzz", true, 0},
        {"http://h/b.jpg", false, 1}, {"after-nul", false, 1},
    };
    ASSERT_EQ(items.Count(), int(std::size(order)));
    for (int i = 0; i < items.Count(); ++i) {
        EXPECT_EQ(items.Get(i)->URL().URI(), order[i].url) << i;
        EXPECT_EQ(items.Get(i)->Done(), order[i].done) << i;
        EXPECT_EQ(items.Get(i)->Depth(), order[i].depth) << i;
    }
    EXPECT_EQ(loaded.task.DoneCount(), 3);
    EXPECT_EQ(items.IndexOfURL("http://h/b,c.jpg"), 4); // the later of the two
    EXPECT_EQ(loaded.task.Name(), "");
    EXPECT_FALSE(loaded.task.Stopped());
}

TEST(ProjectFile, LoadingAddsToDoneCountWithoutReset)
{
    TTask task;
    task.SetDoneCount(5);
    QByteArray data = WithLines("1,0,a\r\n1,0,b\r\n");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    task.LoadFromStream(buffer);
    EXPECT_EQ(task.DoneCount(), 7);
}

TEST(ProjectFile, AnyMagicAndMinimalSizeLoad)
{
    QByteArray bytes = WithLines("");
    std::memcpy(bytes.data(), "NOTME", 5);
    bytes[5132] = char(0x02);
    Loaded loaded(bytes);
    EXPECT_TRUE(loaded.task.Stopped());
    EXPECT_EQ(loaded.task.Items().Count(), 0);
    EXPECT_EQ(loaded.task.URL().URI(), "");
}

TEST(ProjectFile, ShortFilesAreRefusedByName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const qsizetype size : {qsizetype(0), qsizetype(5136), kItemsAt - 1}) {
        const QString path = dir.filePath(QStringLiteral("short%1.wrp").arg(size));
        WriteFile(path, QByteArray(size, 'A'));
        TTask task;
        task.SetName("kept");
        try {
            task.LoadFromFile(path);
            FAIL() << "a file of " << size << " bytes must be refused";
        } catch (const EZavelonError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.what();
            EXPECT_TRUE(error.message().contains(QString::number(size) + " bytes")) << error.what();
        }
        EXPECT_EQ(task.FileName(), path);
        EXPECT_EQ(task.Name(), "kept");
    }
    TTask missing;
    const QString nowhere = dir.filePath("missing.wrp");
    EXPECT_THROW(missing.LoadFromFile(nowhere), EZavelonError);
    EXPECT_EQ(missing.FileName(), nowhere);
}

TEST(ProjectFile, SaveReplacesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("task.wrp");
    WriteFile(path, "old contents");
    TTask task;
    FillTask(task);
    task.SaveToFile(path);
    TTask loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Items().Count(), 4);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"task.wrp"}); // no temporary left

    const QString inMissingFolder = dir.filePath("no/such/folder/task.wrp");
    try {
        task.SaveToFile(inMissingFolder);
        FAIL() << "saving into a missing folder must fail";
    } catch (const EZavelonError &error) {
        EXPECT_TRUE(error.message().contains(inMissingFolder)) << error.what();
    }
}

TEST(UrlList, FinishedItemsAreMarked)
{
    TTask task;
    FillTask(task);
    EXPECT_EQ(UrlListText(task),
              "* Finished item.\r\n"
              "\r\n"
              "* http://pets.example/gallery/index.html\r\n"
              "  http://pets.example/gallery/cat,1.jpg\r\n"
              "* http://cdn.example/dog.png\r\n"
              "  \r\n");
    EXPECT_EQ(UrlListText(TTask()), "* Finished item.\r\n\r\n");
}
