#pragma once

#include <QString>

#include <mutex>
#include <vector>

// The journal of a task's run: what the workers have done since the project
// file was last written, appended line by line beside it ("NAME.wrp.journal")
// as each item ends, so that a crash of the program (kill -9) loses no
// record of it. Nothing is synced to the disk: a power cut may lose what the
// system had not yet written. The project file itself keeps its format: the
// journal is read and
// folded in whenever the file is loaded, and removed once the project file
// has been written with everything in it.
//
// Lines, each written with one write() so that lines of different threads
// never mix; a torn last line (a crash in the middle of a write) is ignored:
//   "Q <depth> <url>"          a link queued as a new item
//   "D <depth> <url>"          an item done (a page, a skipped file)
//   "S <depth> <url>\t<path>"  a picture saved under <path>: written just
//                              before the rename into place, so it counts
//                              as done only when <path> exists
// URL and path are escaped: "\\" for a backslash, "\t", "\n" and "\r".
//
// Thread-safe: workers append from their threads; the file is opened on the
// first append.
class TTaskJournal
{
public:
    struct TEntry {
        enum TKind { Queued, Done, Saved };
        TKind Kind = Done;
        int Depth = 0;
        QString URL;
        QString Path; // Saved only
    };

    explicit TTaskJournal(const QString &projectFile);
    ~TTaskJournal();
    TTaskJournal(const TTaskJournal &) = delete;
    TTaskJournal &operator=(const TTaskJournal &) = delete;

    static QString PathOf(const QString &projectFile);
    const QString &ProjectFile() const { return m_projectFile; }

    // Appends the lines; false when the journal cannot be written (the run
    // goes on: the project file is still written at the end).
    bool Append(const std::vector<TEntry> &entries);
    bool Append(const TEntry &entry) { return Append(std::vector<TEntry>{entry}); }

    // Closes the journal and deletes its file.
    void Remove();
    // Deletes the journal file of a project file (none open in this process).
    static void RemoveFile(const QString &projectFile);

    // The whole lines of the journal of `projectFile`, in order; none when
    // there is no journal. More than `maxEntries` lines raise EZavelonError
    // naming the journal.
    static std::vector<TEntry> Read(const QString &projectFile, qsizetype maxEntries);

    // One entry as its line, and back (false for a line that is not one).
    static QByteArray FormatLine(const TEntry &entry);
    static bool ParseLine(QByteArrayView line, TEntry &entry);

    // The escaping of texts in journal lines (this one's and the image
    // library's): no tab or line end survives raw.
    static QByteArray EscapeText(const QString &text);
    static QString UnescapeText(QByteArrayView text);
    // Appends `bytes` to the file `fd` whole (retrying short writes).
    static bool WriteAll(int fd, const QByteArray &bytes);

private:
    const QString m_projectFile;
    const QString m_path;
    std::mutex m_lock;
    int m_fd = -1;
};
