#include "images/ImageLibrarySession.h"

#include "engine/Errors.h"

#include <QFileInfo>

TImageLibrarySession::TImageLibrarySession(const QString &libraryFileName)
    : m_fileName(libraryFileName)
    , m_library(std::make_unique<TImageLibrary>())
{
    // QFileInfo::exists is false for a broken link too; anything that is
    // there but cannot be read is an error the user must see, and a file we
    // could not read is never overwritten with this run's records.
    if (QFileInfo(m_fileName).exists() || QFileInfo(m_fileName).isSymLink()) {
        try {
            m_library->LoadFromFile(m_fileName);
        } catch (const EZavelonError &error) {
            m_startupError = error.message();
        }
    }
    m_threads = std::make_unique<TAddImageThreadList>();
}

TImageLibrarySession::~TImageLibrarySession()
{
    // The threads go first: they may still hold the library.
    m_threads.reset();
    m_library.reset();
}

void TImageLibrarySession::AddPictureInBackground(const QString &path)
{
    m_threads->Start(*m_library, path);
}

std::function<void(const QString &)> TImageLibrarySession::PictureSavedHook()
{
    return [this](const QString &path) { AddPictureInBackground(path); };
}

void TImageLibrarySession::ShutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_threads->EndAll();
    if (SavesOnShutDown())
        m_library->SaveToFile(m_fileName);
    // The ended threads are waited for and freed by the destructor.
}
