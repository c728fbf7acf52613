#pragma once

#include "images/AddImageThread.h"
#include "images/ImageLibrary.h"
#include "images/LibraryJournal.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The process-wide image library for one run of a program: the library
// (`ImageLibrary`), its file (`LibraryFileName`) and the list of adding
// threads (`AddImageThreads`). The desktop program's main window and the
// command line each own one instance and hand it (or its hook) to whoever
// adds pictures; there is no global.
//
//   start-up   TImageLibrarySession session(ImageLibraryFileName(ProgramHome()));
//              if (!session.StartupError().isEmpty()) show it ("Error")
//   a worker   session.PictureSavedHook()(finalPath)   // or AddPictureInBackground
//   build-in   AddImageFile(session.ImageLibrary(), path)   // on the main thread
//   shut-down  session.ShutDown();   // raises EZavelonError when the save fails
//
// Nothing lost: every saved picture is journaled (TLibraryJournal) before it
// is measured, and every other record (a build-in, `library add`) when it is
// added, so a crash or a stop that does not wait for the measuring loses no
// record: the next start folds the journal in and measures what is still
// pending. Programs sharing a home
// (the desktop program and a `zavelon-cli run` from cron) merge on save:
// under the library's lock, the file on disk and the journal are read and
// joined with this program's records (less those it removed), and the
// result replaces the file.
//
// The download worker lives in the engine, which cannot see this library;
// it takes the hook, a plain std::function<void(const QString &path)>.
class TImageLibrarySession
{
public:
    // What start-up does with a file that is there but is no library (another
    // signature) or a damaged one.
    enum class TUnreadable {
        KeepAside, // renamed to "imglib.db.bad" (".bad.1", ...), a fresh library starts
        Refuse,    // left alone; StartupError says why and nothing is ever written
    };

    // Makes the library, loads `libraryFileName` when that file exists and
    // folds in its journal, then makes the thread list and starts measuring
    // the pictures the journal left pending. A file that exists but cannot
    // be opened, or that is no library (see TUnreadable), does not stop
    // start-up: the message is kept in StartupError() for the caller to show;
    // a file that is still in place after that is never written over.
    explicit TImageLibrarySession(const QString &libraryFileName, TUnreadable unreadable = TUnreadable::KeepAside);
    // Ends and frees the threads and the library without saving (when
    // ShutDown was not called).
    ~TImageLibrarySession();
    TImageLibrarySession(const TImageLibrarySession &) = delete;
    TImageLibrarySession &operator=(const TImageLibrarySession &) = delete;

    TImageLibrary &ImageLibrary() { return *m_library; }
    TAddImageThreadList &AddImageThreads() { return *m_threads; }
    const QString &LibraryFileName() const { return m_fileName; }

    // Empty, or what start-up found wrong with the library file.
    const QString &StartupError() const { return m_startupError; }
    // Whether ShutDown writes the file (false when an unreadable file was
    // left in place).
    bool SavesOnShutDown() const { return m_saves; }
    // Where an unreadable library file was kept aside; empty when none was.
    const QString &KeptAsideAs() const { return m_keptAside; }

    // Journals `path` as saved, then starts a thread that records it;
    // nothing after ShutDown began. Safe on any thread.
    void AddPictureInBackground(const QString &path);
    // The same as a callable for the engine's download worker. It refers to
    // this session, which must outlive every worker that holds it.
    std::function<void(const QString &path)> PictureSavedHook();

    // Shut-down, in this order: every adding thread is ended without waiting
    // for the pictures it is measuring (they stay pending in the journal, to
    // be measured at the next start; from here on no thread adds to the
    // library and no new thread starts); then the library is merged and
    // written (see above; skipped when SavesOnShutDown is false). The
    // destructor then waits for the ended threads (they give up their
    // decoding at once) and frees them and the library. Raises EZavelonError
    // naming the file when the save fails (the previous file is kept then).
    // Later calls do nothing.
    void ShutDown();
    // The merge and write of ShutDown, at any time.
    void Save();

private:
    void Load(TUnreadable unreadable);
    // Renames the unreadable file aside; false when it cannot be.
    bool KeepAside(const QString &problem, int wholeRecords);
    // Joins records of the file on disk and of the journal that this
    // program does not have (and did not remove); returns what the journal
    // still has pending.
    std::vector<TLibraryJournal::TPending> MergeFromDisk();

    // What the file was when this program last read or wrote it.
    struct TStamp {
        bool Exists = false;
        quint64 Device = 0;
        quint64 Inode = 0;
        qint64 Size = 0;
        qint64 Modified = 0;
        bool operator==(const TStamp &) const = default;
    };
    static TStamp StampOf(const QString &file);

    QString m_fileName;
    QString m_startupError;
    TStamp m_diskStamp;
    QString m_keptAside;
    bool m_saves = true;
    bool m_shutDown = false;
    std::unique_ptr<TImageLibrary> m_library;
    std::unique_ptr<TLibraryJournal> m_journal;
    std::unique_ptr<TAddImageThreadList> m_threads;
};
