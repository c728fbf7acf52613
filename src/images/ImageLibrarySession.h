#pragma once

#include "images/AddImageThread.h"
#include "images/ImageLibrary.h"

#include <QString>

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
// The download worker lives in the engine, which cannot see this library;
// it takes the hook, a plain std::function<void(const QString &path)>.
class TImageLibrarySession
{
public:
    // Makes the library, loads `libraryFileName` when that file exists, then
    // makes the thread list. A file that exists but cannot be opened or read
    // does not stop start-up: its error text is kept in StartupError() for the
    // caller to show, and ShutDown() will then leave that file alone.
    explicit TImageLibrarySession(const QString &libraryFileName);
    // Ends and frees the threads and the library without saving (when
    // ShutDown was not called).
    ~TImageLibrarySession();
    TImageLibrarySession(const TImageLibrarySession &) = delete;
    TImageLibrarySession &operator=(const TImageLibrarySession &) = delete;

    TImageLibrary &ImageLibrary() { return *m_library; }
    TAddImageThreadList &AddImageThreads() { return *m_threads; }
    const QString &LibraryFileName() const { return m_fileName; }

    // Empty, or the error of loading an existing library file.
    const QString &StartupError() const { return m_startupError; }
    // Whether ShutDown writes the file (false after a StartupError).
    bool SavesOnShutDown() const { return m_startupError.isEmpty(); }

    // Starts a thread that records `path`; nothing after ShutDown began.
    // Safe on any thread.
    void AddPictureInBackground(const QString &path);
    // The same as a callable for the engine's download worker. It refers to
    // this session, which must outlive every worker that holds it.
    std::function<void(const QString &path)> PictureSavedHook();

    // Shut-down, in this order: every adding thread is ended without waiting
    // for the pictures it is measuring (those are not recorded, and from
    // here on no thread adds to the library and no new thread starts); then
    // the library is written to LibraryFileName() (replacing the file, even
    // when nothing changed; skipped after a StartupError). The destructor
    // then waits for the ended threads and frees them and the library.
    // Raises EZavelonError naming the file when the save fails (the previous
    // file is kept then). Later calls do nothing.
    void ShutDown();

private:
    QString m_fileName;
    QString m_startupError;
    bool m_shutDown = false;
    std::unique_ptr<TImageLibrary> m_library;
    std::unique_ptr<TAddImageThreadList> m_threads;
};
