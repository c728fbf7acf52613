#include "images/ImageLibrarySession.h"

#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

namespace {

bool Exists(const QString &path)
{
    // QFileInfo::exists is false for a broken link too.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// A free name for a damaged file beside it: ".bad", then ".bad.1", ...
QString AsideName(const QString &file)
{
    QString target = file + QStringLiteral(".bad");
    for (int n = 1; Exists(target); ++n)
        target = file + QStringLiteral(".bad.") + QString::number(n);
    return target;
}

} // namespace

TImageLibrarySession::TStamp TImageLibrarySession::StampOf(const QString &file)
{
    struct stat status {};
    if (::stat(QFile::encodeName(file).constData(), &status) != 0)
        return {};
    return {true, quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

namespace {

std::unique_ptr<TImageDetail> CopyOf(const TImageDetail &record)
{
    auto copy = std::make_unique<TImageDetail>();
    copy->Assign(record);
    return copy;
}

} // namespace

TImageLibrarySession::TImageLibrarySession(const QString &libraryFileName, TUnreadable unreadable)
    : m_fileName(libraryFileName)
    , m_library(std::make_unique<TImageLibrary>())
    , m_journal(std::make_unique<TLibraryJournal>(libraryFileName))
{
    Load(unreadable);
    m_threads = std::make_unique<TAddImageThreadList>();
    if (!m_saves)
        return;
    TLibraryJournal *journal = m_journal.get();
    m_library->SetOnAdded([journal](const TImageDetail &record) { journal->AppendRecord(record); });
    // Pictures that were saved but never measured (a stop that did not wait,
    // a crash): measured now, in the background.
    QSet<QString> started;
    m_journal->ForEachLine([](std::unique_ptr<TImageDetail>) {}, [&](TLibraryJournal::TPending pending) {
        if (!m_library->Find(pending.Path) && !started.contains(pending.Path) && QFileInfo::exists(pending.Path)) {
            started.insert(pending.Path);
            m_threads->Start(*m_library, pending.Path, true);
        }
    });
}

void TImageLibrarySession::Load(TUnreadable unreadable)
{
    if (Exists(m_fileName)) {
        try {
            m_library->LoadFromFile(m_fileName);
        } catch (const EZavelonError &error) {
            // A file we could not read is never overwritten with this run's
            // records.
            m_startupError = error.message();
            m_saves = false;
            return;
        }
        if (m_library->LastLoadState() != TImageLibrary::TLoadState::Loaded) {
            const QString problem = m_library->LastLoadProblem();
            if (unreadable == TUnreadable::Refuse) {
                m_startupError = QStringLiteral("%1 is not an image library this program can use (%2); it is left "
                                                "alone").arg(m_fileName, problem);
                m_saves = false;
                return;
            }
            if (!KeepAside(problem, m_library->Count()))
                return;
        }
    }
    m_diskStamp = StampOf(m_fileName);
    // Records the journal holds that the file does not yet.
    m_journal->ForEachLine([this](std::unique_ptr<TImageDetail> record) { m_library->AddIfAbsent(std::move(record), true); },
                           [](TLibraryJournal::TPending) {});
}

bool TImageLibrarySession::KeepAside(const QString &problem, int wholeRecords)
{
    TFileLock lock(TLibraryJournal::LockPathOf(m_fileName));
    QString holder;
    const QString target = AsideName(m_fileName);
    if (!lock.Lock(TLibraryJournal::kLockWaitMs, &holder) || !QFile::rename(m_fileName, target)) {
        m_startupError = QStringLiteral("The image library %1 cannot be read (%2) and cannot be kept aside; it is "
                                        "left alone and not written over").arg(m_fileName, problem);
        m_saves = false;
        return false;
    }
    m_keptAside = target;
    m_startupError = QStringLiteral("The image library %1 cannot be read as it is (%2). It is kept as %3%4; a new "
                                    "library is started.")
                         .arg(m_fileName, problem, target,
                              wholeRecords > 0 ? QStringLiteral(", and its %1 whole records were taken over").arg(wholeRecords)
                                               : QString());
    return true;
}

TImageLibrarySession::~TImageLibrarySession()
{
    // The threads go first: they may still hold the library.
    m_threads.reset();
    m_library->SetOnAdded(nullptr);
    m_library.reset();
}

void TImageLibrarySession::AddPictureInBackground(const QString &path)
{
    // Journaled as pending, the picture needs no second line once measured:
    // a save folds its record into the file, a crash before that has the
    // next start measure it again.
    const bool journaled = m_saves && m_journal->AppendPending(path, NowDays());
    m_threads->Start(*m_library, path, journaled);
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
        Save();
    // The ended threads are waited for and freed by the destructor.
}

std::vector<TLibraryJournal::TPending> TImageLibrarySession::MergeFromDisk()
{
    const QSet<QString> removed = m_library->RemovedNames();
    const auto join = [&](const TImageDetail &record) {
        if (!removed.contains(record.FileName))
            m_library->AddIfAbsent(CopyOf(record), true);
    };
    // A file that nobody has written since this program read or wrote it
    // holds nothing this program lacks.
    if (Exists(m_fileName) && StampOf(m_fileName) != m_diskStamp) {
        TImageLibrary disk;
        disk.LoadFromFile(m_fileName);
        if (disk.LastLoadState() != TImageLibrary::TLoadState::Loaded) {
            // Someone wrote something else there since the start: not ours
            // to destroy.
            const QString target = AsideName(m_fileName);
            if (!QFile::rename(m_fileName, target))
                throw EZavelonError(QStringLiteral("The image library %1 cannot be read (%2) and cannot be kept "
                                                   "aside; it is not written over")
                                        .arg(m_fileName, disk.LastLoadProblem()));
            m_keptAside = target;
        }
        for (int i = 0; i < disk.Count(); ++i)
            join(*disk.Items(i));
    }
    // A long crawl leaves a line per picture: only those not recorded yet
    // are kept, and only once.
    std::vector<TLibraryJournal::TPending> pending;
    QSet<QString> kept;
    m_journal->ForEachLine([&](std::unique_ptr<TImageDetail> record) { join(*record); },
                           [&](TLibraryJournal::TPending line) {
                               if (!m_library->Find(line.Path) && !kept.contains(line.Path)) {
                                   kept.insert(line.Path);
                                   pending.push_back(std::move(line));
                               }
                           });
    // A record the journal holds further on may have come in meanwhile.
    std::erase_if(pending, [&](const TLibraryJournal::TPending &line) {
        return m_library->Find(line.Path) || !QFileInfo::exists(line.Path);
    });
    return pending;
}

void TImageLibrarySession::Save()
{
    TFileLock lock(TLibraryJournal::LockPathOf(m_fileName));
    QString holder;
    if (!lock.Lock(TLibraryJournal::kLockWaitMs, &holder))
        throw EZavelonError(QStringLiteral("Cannot write the image library %1: %2").arg(m_fileName, holder));
    const std::vector<TLibraryJournal::TPending> pending = MergeFromDisk();
    m_library->SaveToFile(m_fileName);
    m_diskStamp = StampOf(m_fileName);
    // Everything the journal recorded is in the file now; what is still to
    // be measured stays.
    if (!m_journal->Rewrite(pending))
        throw EZavelonError(QStringLiteral("Cannot write the journal of the image library %1")
                                .arg(TLibraryJournal::PathOf(m_fileName)));
}
