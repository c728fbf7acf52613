// The image library loses no record: its journal keeps what a crash or a
// quick stop would lose, and programs sharing one home merge on save.
#include "images/LibraryJournal.h"

#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ImageLibrarySession.h"
#include "imaging/DecodeControl.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class LibraryJournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (int i = 0; i < 6; ++i) {
            const QString path = Path(QStringLiteral("p%1.png").arg(i));
            fixtures::WriteQt(path, "png", fixtures::CornerPicture(10 + i, 5));
            m_paths << path;
        }
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Library() const { return Path(QStringLiteral("imglib.db")); }

    static void WaitForThreads(TImageLibrarySession &session)
    {
        for (int i = 0; i < session.AddImageThreads().Count(); ++i)
            session.AddImageThreads().Items(i)->WaitFor();
    }

    static QStringList Names(const TImageLibrary &library)
    {
        QStringList names;
        for (int i = 0; i < library.Count(); ++i)
            names << library.Items(i)->FileName;
        names.sort();
        return names;
    }

    QStringList Paths(std::initializer_list<int> indexes) const
    {
        QStringList paths;
        for (int i : indexes)
            paths << m_paths[i];
        paths.sort();
        return paths;
    }

    QTemporaryDir m_dir;
    QStringList m_paths;
};

TEST_F(LibraryJournalTest, LinesRoundTripAndATornLineIsIgnored)
{
    TLibraryJournal journal(Library());
    const QString odd = Path(QStringLiteral("tab\there\nline.png"));
    TImageDetail record;
    record.Added = 45123.123456789012;
    record.FileSize = 1024;
    record.Height = 7;
    record.Width = -1;
    record.FileName = odd;
    ASSERT_TRUE(journal.AppendPending(m_paths[0], 45000.5));
    ASSERT_TRUE(journal.AppendRecord(record));
    QFile file(TLibraryJournal::PathOf(Library()));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("P 45000 /torn/pic"); // the program died in this write
    file.close();

    const TLibraryJournal::TContent content = journal.Read();
    ASSERT_EQ(content.Pending.size(), 1u);
    EXPECT_EQ(content.Pending[0].Path, m_paths[0]);
    EXPECT_EQ(content.Pending[0].Added, 45000.5);
    ASSERT_EQ(content.Records.size(), 1u);
    const TImageDetail &read = *content.Records[0];
    EXPECT_EQ(read.FileName, odd);
    EXPECT_EQ(read.Added, record.Added) << "bit for bit";
    EXPECT_EQ(read.FileSize, 1024);
    EXPECT_EQ(read.Height, 7);
    EXPECT_EQ(read.Width, -1);

    EXPECT_TRUE(journal.Rewrite({}));
    EXPECT_FALSE(QFileInfo::exists(file.fileName()));
}

// A program that dies without saving: the next start finds every record it
// made and measures every picture it had not measured yet.
TEST_F(LibraryJournalTest, RecordsOfAProgramThatDiedAreFoundAtTheNextStart)
{
    {
        TImageLibrarySession died(Library());
        AddImageFile(died.ImageLibrary(), m_paths[0]); // a build-in: recorded at once
        died.AddPictureInBackground(m_paths[1]);       // a saved download
        WaitForThreads(died);
        TLibraryJournal(Library()).AppendPending(m_paths[2], 45000); // saved, never measured
        // No ShutDown: the program is gone.
    }
    EXPECT_FALSE(QFileInfo::exists(Library()));
    TImageLibrarySession next(Library());
    EXPECT_TRUE(next.StartupError().isEmpty());
    WaitForThreads(next);
    EXPECT_EQ(Names(next.ImageLibrary()), Paths({0, 1, 2}));
    next.ShutDown();
    EXPECT_FALSE(QFileInfo::exists(TLibraryJournal::PathOf(Library()))) << "all folded into the file";
    TImageLibrary saved;
    saved.LoadFromFile(Library());
    EXPECT_EQ(Names(saved), Paths({0, 1, 2}));
}

// Two programs on one home (the desktop program open while cron runs the
// command line): each saves when it ends; no record of either is lost, and
// what one removed stays removed.
TEST_F(LibraryJournalTest, ProgramsSharingAHomeMergeOnSave)
{
    {
        TImageLibrarySession first(Library());
        AddImageFile(first.ImageLibrary(), m_paths[0]);
        AddImageFile(first.ImageLibrary(), m_paths[1]);
        first.ShutDown();
    }
    TImageLibrarySession desktop(Library());
    TImageLibrarySession cron(Library());
    AddImageFile(desktop.ImageLibrary(), m_paths[2]);
    desktop.ImageLibrary().Remove(desktop.ImageLibrary().Find(m_paths[0]));
    AddImageFile(cron.ImageLibrary(), m_paths[3]);
    AddImageFile(cron.ImageLibrary(), m_paths[4]);
    cron.ShutDown();
    desktop.ShutDown();

    TImageLibrary saved;
    saved.LoadFromFile(Library());
    EXPECT_EQ(Names(saved), Paths({1, 2, 3, 4}));
    EXPECT_EQ(saved.Count(), 4) << "one record per path";
}

// A stop does not wait for pictures being measured: they stay pending in the
// journal and the next start measures them.
TEST_F(LibraryJournalTest, PicturesStillBeingMeasuredAtShutDownArePendingNotLost)
{
    {
        TImageLibrarySession session(Library());
        for (const QString &path : m_paths)
            session.AddPictureInBackground(path);
        session.ShutDown(); // ends the threads without waiting
        TImageLibrary saved;
        saved.LoadFromFile(Library());
        const TLibraryJournal::TContent journal = TLibraryJournal(Library()).Read();
        EXPECT_EQ(saved.Count() + int(journal.Pending.size()), int(m_paths.size()))
            << "every picture is either recorded or pending";
        EXPECT_TRUE(journal.Records.empty());
    }
    TImageLibrarySession next(Library());
    WaitForThreads(next);
    EXPECT_EQ(Names(next.ImageLibrary()), Paths({0, 1, 2, 3, 4, 5}));
}

// An ended adding thread gives up its decoding: its reads fail.
TEST(DecodeControl, AbandonedDecodingFailsAtOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.png"));
    fixtures::WriteQt(path, "png", fixtures::CornerPicture(300, 200));
    std::atomic<bool> abandon{false};
    {
        const TAbandonDecoding scope(abandon);
        EXPECT_EQ(LoadFirstImage(path).width(), 300);
        abandon = true;
        EXPECT_ANY_THROW(LoadFirstImage(path));
    }
    EXPECT_EQ(LoadFirstImage(path).width(), 300) << "only while the scope lives";
}

} // namespace
