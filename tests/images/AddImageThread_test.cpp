#include "images/AddImageThread.h"

#include "engine/Errors.h"
#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ImageLibrarySession.h"
#include "imaging/PictureFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace {

class AddImageThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Several formats, so the decoders of every family run side by side.
        const char *formats[] = {"PCX", "GIF", "TGA", "PNG", "JPEG", "BMP", "TIFF", "DCX"};
        const char *extensions[] = {"pcx", "gif", "tga", "png", "jpg", "bmp", "tif", "dcx"};
        for (int i = 0; i < 8; ++i) {
            const QString path = Path(QStringLiteral("p%1.%2").arg(i).arg(extensions[i]));
            fixtures::WriteMagick(path, formats[i], 20 + i, 10);
            m_paths << path;
        }
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QStringList m_paths;
};

// Many threads adding the same few paths at once, while others read the
// library, leave exactly one correct record per path.
TEST_F(AddImageThreadTest, ManyThreadsOneRecordPerPath)
{
    TImageLibrary library;
    std::atomic<bool> adding{true};
    std::atomic<int> oddRecords{0};
    std::thread reader([&] {
        while (adding.load()) {
            const int count = library.Count();
            for (int i = 0; i < count; ++i)
                if (library.Items(i)->Width < 20)
                    ++oddRecords;
            for (const QString &path : m_paths)
                if (const TImageDetail *record = library.Find(path); record && record->FileName != path)
                    ++oddRecords;
        }
    });
    {
        TAddImageThreadList threads;
        for (int round = 0; round < 6; ++round)
            for (const QString &path : m_paths)
                ASSERT_NE(threads.Start(library, path), nullptr);
        // The main thread's build-in adds the same files meanwhile.
        for (const QString &path : m_paths)
            AddImageFile(library, path);
        EXPECT_EQ(threads.Count(), 48);
        for (int i = 0; i < threads.Count(); ++i)
            threads.Items(i)->WaitFor();
        for (int i = 0; i < threads.Count(); ++i)
            EXPECT_TRUE(threads.Items(i)->Finished());
    }
    adding = false;
    reader.join();
    EXPECT_EQ(oddRecords.load(), 0);
    ASSERT_EQ(library.Count(), m_paths.size());
    std::set<QString> names;
    for (int i = 0; i < library.Count(); ++i) {
        const TImageDetail *record = library.Items(i);
        names.insert(record->FileName);
        const int index = int(m_paths.indexOf(record->FileName));
        EXPECT_EQ(record->Width, 20 + index) << record->FileName.toStdString();
        EXPECT_EQ(record->Height, 10);
    }
    EXPECT_EQ(names.size(), size_t(m_paths.size()));
}

// This process has no application object, so Qt takes the first thread that
// makes a QObject as its main thread and moves the image plugins there. That
// must be the thread that starts the adding threads, never an adding thread:
// one that has exited leaves the plugins on dead thread data, which their
// destruction at process exit touches after it was freed. Decisive when the
// case runs in a process of its own, as CTest runs it.
TEST_F(AddImageThreadTest, PluginsStayOnTheStartingThread)
{
    TImageLibrary library;
    {
        TAddImageThreadList threads;
        for (const QString &path : m_paths)
            threads.Start(library, path)->WaitFor();
    }
    ASSERT_EQ(library.Count(), m_paths.size());
    QPluginLoader gif(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats/libqgif.so"));
    const QObject *plugin = gif.instance();
    if (!plugin)
        GTEST_SKIP() << "no GIF image plugin: " << gif.errorString().toStdString();
    EXPECT_EQ(plugin->thread(), QThread::currentThread());
}

TEST_F(AddImageThreadTest, EndedListStartsNothing)
{
    TImageLibrary library;
    TAddImageThreadList threads;
    threads.EndAll();
    EXPECT_EQ(threads.Start(library, m_paths[0]), nullptr);
    EXPECT_EQ(threads.Count(), 0);
    EXPECT_THROW(threads.Items(0), std::exception);
}

TEST_F(AddImageThreadTest, ErrorsEndTheThreadQuietly)
{
    TImageLibrary library;
    TAddImageThreadList threads;
    TAddImageThread *missing = threads.Start(library, Path("missing.png"));
    TAddImageThread *tooLong = threads.Start(library, Path(QString(300, QLatin1Char('q'))));
    missing->WaitFor();
    tooLong->WaitFor();
    EXPECT_TRUE(missing->Finished());
    EXPECT_EQ(library.Count(), 0);
}

// A long crawl starts one adding thread per saved picture. Finished threads
// must give their system resources back as the run goes on, or the process
// runs out of memory maps and can start no thread at all.
TEST_F(AddImageThreadTest, FinishedThreadsAreReleasedAsNewOnesStart)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer maps memory of its own for every thread it has seen";
#endif
    auto mappings = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        EXPECT_TRUE(maps.open(QIODevice::ReadOnly));
        return maps.readAll().count('\n');
    };
    TImageLibrary library;
    TAddImageThreadList threads;
    threads.Start(library, Path("missing.png"))->WaitFor(); // first-use allocations
    const qsizetype before = mappings();
    constexpr int kThreads = 400;
    for (int i = 0; i < kThreads; ++i) {
        TAddImageThread *thread = threads.Start(library, Path(QStringLiteral("missing%1.png").arg(i)));
        while (!thread->Finished())
            std::this_thread::yield();
    }
    // Each unreleased thread keeps a stack and its guard page mapped.
    EXPECT_LT(mappings() - before, kThreads / 2);
    EXPECT_EQ(threads.Count(), kThreads + 1);
}

// Shut-down ends the threads without waiting for them, then saves: nothing
// reaches the library (or the file) once the save has begun, and whatever
// was being measured then stays pending in the journal, for the next start
// to measure: no saved picture goes unrecorded.
TEST_F(AddImageThreadTest, ShutDownSavesAndNothingAddsAfterwards)
{
    const QString file = ImageLibraryFileName(m_dir.path());
    int countAtSave = 0;
    {
        TImageLibrarySession session(file);
        EXPECT_TRUE(session.StartupError().isEmpty());
        EXPECT_EQ(session.LibraryFileName(), file);
        const auto hook = session.PictureSavedHook();
        for (int round = 0; round < 4; ++round)
            for (const QString &path : m_paths)
                hook(path);
        session.ShutDown();
        countAtSave = session.ImageLibrary().Count();
        EXPECT_EQ(QFile(file).size(), 264 + 280 * countAtSave);
        // Late starts are refused; ended threads, once finished, added nothing.
        session.AddPictureInBackground(m_paths[0]);
        EXPECT_EQ(session.AddImageThreads().Count(), 32);
        for (int i = 0; i < session.AddImageThreads().Count(); ++i)
            session.AddImageThreads().Items(i)->WaitFor();
        EXPECT_EQ(session.ImageLibrary().Count(), countAtSave);
        session.ShutDown(); // a second call does nothing
    }
    // The next run reads what was saved and measures what was pending.
    TImageLibrarySession next(file);
    EXPECT_GE(next.ImageLibrary().Count(), countAtSave);
    for (int i = 0; i < next.AddImageThreads().Count(); ++i)
        next.AddImageThreads().Items(i)->WaitFor();
    EXPECT_EQ(next.ImageLibrary().Count(), int(m_paths.size()));
    for (const QString &path : m_paths)
        EXPECT_NE(next.ImageLibrary().Find(path), nullptr) << path.toStdString();
}

TEST_F(AddImageThreadTest, SessionLifecycle)
{
    const QString file = ImageLibraryFileName(m_dir.path());
    {
        // No file yet: an empty library, written at shut-down as 264 bytes.
        TImageLibrarySession session(file);
        EXPECT_TRUE(session.StartupError().isEmpty());
        EXPECT_EQ(session.ImageLibrary().Count(), 0);
        session.ShutDown();
        EXPECT_EQ(QFile(file).size(), 264);
    }
    {
        // A file with another signature is never written over: it is kept
        // aside, with a message, and a new library starts.
        fixtures::WriteBytes(file, QByteArray(600, 'z'));
        TImageLibrarySession session(file);
        EXPECT_TRUE(session.StartupError().contains(file + ".bad")) << session.StartupError().toStdString();
        EXPECT_EQ(session.KeptAsideAs(), file + ".bad");
        AddImageFile(session.ImageLibrary(), m_paths[3]);
        session.ShutDown();
        EXPECT_EQ(QFile(file).size(), 264 + 280);
        EXPECT_EQ(QFile(file + ".bad").size(), 600);
    }
    {
        // Without ShutDown nothing is written.
        TImageLibrarySession session(file);
        AddImageFile(session.ImageLibrary(), m_paths[4]);
    }
    EXPECT_EQ(QFile(file).size(), 264 + 280);
}

// A library file that is there but cannot be read: the error is kept for the
// user, and shut-down leaves the file alone.
TEST_F(AddImageThreadTest, UnreadableLibraryIsNotReplaced)
{
    const QString file = Path("imglib.db");
    QDir().mkdir(file); // a folder where the file should be: never readable
    {
        TImageLibrarySession session(file);
        EXPECT_TRUE(session.StartupError().contains(file)) << session.StartupError().toStdString();
        EXPECT_FALSE(session.SavesOnShutDown());
        AddImageFile(session.ImageLibrary(), m_paths[0]);
        EXPECT_NO_THROW(session.ShutDown());
    }
    EXPECT_TRUE(QFileInfo(file).isDir());
}

TEST_F(AddImageThreadTest, FailedSaveRaisesNamingTheFile)
{
    const QString file = Path("gone/imglib.db");
    TImageLibrarySession session(file);
    try {
        session.ShutDown();
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EZavelonError &error) {
        EXPECT_TRUE(error.message().contains(file)) << error.what();
    }
}

} // namespace
