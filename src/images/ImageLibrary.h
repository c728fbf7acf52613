#pragma once

#include "images/ImageDetail.h"
#include "images/ImageLibraryHeader.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVarLengthArray>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QIODevice;

// The image library: the catalogue of picture files, one TImageDetail per
// file, keyed by the file's full path, in the order the records were added.
// Between runs it lives in imglib.db in the program's home folder (see
// ImageLibraryFileName); the file layout is in ImageLibraryHeader.h and
// ImageDetail.h.
//
// Thread safety: one lock guards the list, held for each elementary operation
// only (Count, Items, Find, Add, AddIfAbsent, Remove, Clear). A walk by index
// takes it once per element, so it may see records added meanwhile.
//
// Ownership: the library owns every record ever added to it and frees them
// when it is destroyed. Remove and Clear take records out of the list but do
// not destroy them, so a pointer another thread got from Items or Find stays
// valid for the library's lifetime. Records in the library are read-only:
// their FileName is the key of the index.
class TImageLibrary
{
public:
    // Header: Signature "Quorvane Images Library File", Version 227,
    // RecordCount 0; the list is empty.
    TImageLibrary();
    ~TImageLibrary();
    TImageLibrary(const TImageLibrary &) = delete;
    TImageLibrary &operator=(const TImageLibrary &) = delete;

    // Appends a record (a path may occur twice this way, as in a file).
    const TImageDetail *Add(std::unique_ptr<TImageDetail> record);
    // Appends the record unless one with the same FileName is listed; the
    // test and the insertion are one step under the lock, so threads adding
    // the same path at once leave one record. Returns the record added, or
    // nullptr (the record is then discarded). An added record is told to the
    // OnAdded listener, unless `quiet` (records that come from a file).
    const TImageDetail *AddIfAbsent(std::unique_ptr<TImageDetail> record, bool quiet = false);

    // Called, on the adding thread and outside the lock, with every record
    // AddIfAbsent adds (the session journals them). Set it before any thread
    // adds.
    void SetOnAdded(std::function<void(const TImageDetail &record)> listener) { m_onAdded = std::move(listener); }

    // The names of the records that Remove and Clear took out and nothing
    // added again since: what a merge with the file on disk must leave out.
    QSet<QString> RemovedNames() const;
    int Count() const;
    // The record at `index`; raises EZavelonError when out of range.
    const TImageDetail *Items(int index) const;
    // The first listed record whose FileName equals `path` exactly (case-
    // sensitive, no normalisation), or nullptr. Constant time: an index by
    // name is kept in step with Add, Remove and Clear.
    const TImageDetail *Find(const QString &path) const;
    // Takes the record out of the list (it is not destroyed); false when it
    // was not listed.
    bool Remove(const TImageDetail *record);
    // Empties the list (the records are not destroyed).
    void Clear();

    // The header as last read or written (not synchronised with a load or
    // save running at the same time).
    const TImageLibraryHeader &Header() const { return *m_header; }

    // Reads the file into the list (after the records already there).
    // Raises EZavelonError naming the file when it cannot be opened or read.
    void LoadFromFile(const QString &name);
    // Writes the list to a temporary file beside `name` and renames it over
    // `name`, so a failed or interrupted save never loses the previous file.
    // Raises EZavelonError naming the file when it cannot be written.
    void SaveToFile(const QString &name);

    // How the last load found its file: a library; no library at all (a
    // header with another signature, also a short or empty one: nothing is
    // loaded); or a damaged one (fewer records than its header counts, bytes
    // after the last record, a negative count): its whole records are loaded.
    enum class TLoadState { Loaded, Foreign, Damaged };
    TLoadState LastLoadState() const;
    // What was wrong, in words; empty after a clean load.
    QString LastLoadProblem() const;

    // A header with another signature loads nothing and raises nothing (see
    // LastLoadState). A truncated file loads its whole records only.
    void LoadFromStream(QIODevice &stream);
    // Writes the header with RecordCount = Count(), then the records in list
    // order. A record that cannot be fetched (removed meanwhile) or written
    // is skipped, and the header is then written again with the number of
    // records actually written.
    void SaveToStream(QIODevice &stream);

private:
    using NameIndex = QHash<QString, QVarLengthArray<const TImageDetail *, 1>>;

    const TImageDetail *Insert(std::unique_ptr<TImageDetail> record);

    mutable std::mutex m_lock;
    std::vector<const TImageDetail *> m_items;
    std::vector<std::unique_ptr<TImageDetail>> m_owned;
    NameIndex m_index;
    QSet<QString> m_removed;
    std::function<void(const TImageDetail &)> m_onAdded;
    // Loads and saves of one library run one at a time (they use the header).
    mutable std::mutex m_streamLock;
    std::unique_ptr<TImageLibraryHeader> m_header;
    TLoadState m_loadState = TLoadState::Loaded;
    QString m_loadProblem;
};

// The library file of a folder: the folder, a separator when missing, and
// "imglib.db".
QString ImageLibraryFileName(const QString &folder);
