#pragma once

#include "engine/ParsedUrl.h"
#include "engine/Persistent.h"
#include "engine/RegOptions.h"
#include "engine/TaskItemList.h"

#include <QString>

#include <atomic>

class QIODevice;

// One download job: a start URL, a name, a note, its own options and the
// growing list of URLs found for it. Each task lives in a project file of its
// own (".wrp"): a 5136-byte header, the options block, then one text line per
// item. The task owns its options, its items and its start URL.
class TTask : public TPersistent
{
public:
    static constexpr qsizetype kHeaderSize = 5136;
    // Where the item lines start; also the shortest file that loads.
    static constexpr qsizetype kItemsOffset = kHeaderSize + TRegOptions::kBlockSize;

    TTask();
    // A task must be stopped before it is destroyed. Frees every item.
    ~TTask() override;

    TTask(const TTask &) = delete;
    TTask &operator=(const TTask &) = delete;

    // Copies the items (as TTaskItemList::Assign does), the options, Name,
    // Note, Stopped, the URL text and FileName from another TTask; not ID nor
    // DoneCount. Any other source is refused with the assignment error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TTask"); }

    TRegOptions &Options() { return m_options; }
    const TRegOptions &Options() const { return m_options; }
    TTaskItemList &Items() { return m_items; }
    const TTaskItemList &Items() const { return m_items; }
    // The start URL; set it with URL().SetURI(text).
    TParsedUrl &URL() { return m_url; }
    const TParsedUrl &URL() const { return m_url; }

    // Plain values; each setter only stores the value.
    const QString &Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    const QString &Note() const { return m_note; }
    void SetNote(const QString &note) { m_note = note; }
    // A GUID in registry text form, braces included, given when the task is made.
    const QString &ID() const { return m_id; }
    void SetID(const QString &id) { m_id = id; }
    // Full path of the project file.
    const QString &FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

    // Run state, written on the main thread only.
    bool Stopped() const { return m_stopped; }
    void SetStopped(bool stopped) { m_stopped = stopped; }
    bool Stopping() const { return m_stopping; }
    void SetStopping(bool stopping) { m_stopping = stopping; }
    bool Shown() const { return m_shown; }
    void SetShown(bool shown) { m_shown = shown; }
    int DoneCount() const { return m_doneCount; }
    void SetDoneCount(int count) { m_doneCount = count; }

    // Sets FileName, then reads the project file. A file that cannot be
    // opened, or that is shorter than kItemsOffset bytes, raises EZavelonError
    // naming the file (and its size); the task is then unchanged apart from
    // FileName. Any file that long loads, whatever its first bytes.
    void LoadFromFile(const QString &path);
    // Writes the project file atomically: a temporary file beside it is
    // renamed over it, so a failure never leaves a half-written project.
    // Does not change FileName.
    void SaveToFile(const QString &path) const;

    // The same at a stream's position. Loading is meant for a fresh task:
    // the items are replaced, but DoneCount grows by the loaded done items
    // without being reset.
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;

private:
    TTaskItemList m_items;
    TRegOptions m_options;
    QString m_note;
    TParsedUrl m_url;
    QString m_name = QStringLiteral("<noname>");
    std::atomic<bool> m_stopped{true};
    QString m_id;
    std::atomic<bool> m_shown{false};
    QString m_fileName;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_doneCount{0};
};
