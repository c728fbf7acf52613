#pragma once

#include <QDateTime>
#include <QString>

class TTaskItem;

// The three views a task refers to (and does not own): the files list, the
// log and the pictures list. They are the only way the engine changes what
// the user sees. The desktop program implements them with its models, the
// command line with its output, the tests with recorders.
//
// The engine passes values, not texts: byte counts, depths, flags. How a
// value reads ("12 KB", "45%", "---") is the business of whoever shows it,
// with the helpers at the end of this file, so that a list can sort by the
// number and draw a progress bar from it.
//
// Every call comes on the main thread (the thread of the Qt event loop):
// workers reach the views only through synchronous calls posted to that loop,
// in the order each worker produced them. The rules of what is shown and
// when ("only while the task is shown", the running flag) are the task's
// (TTask::AddItemRow and its siblings); a view only shows what it is given.

// A new files-view row, shown under the captions "!", "From URL", "Type",
// "Size(b)", "Depth", "Completed". Size and progress are unknown until the
// item's worker reports them.
struct TFileRow
{
    bool Running = false; // "!": the running image, else the waiting one
    QString URL;          // "From URL"
    QString Type;         // "Type": the extension with its dot, or empty
    int Depth = 0;        // "Depth"
};

// The files view: one row per shown item; a row refers to its item.
class TFilesView
{
public:
    virtual ~TFilesView() = default;
    // Appends a row that refers to `item`.
    virtual void AddItemRow(TTaskItem *item, const TFileRow &row) = 0;
    // Deletes the first row that refers to `item`; nothing when there is none.
    virtual void RemoveItemRow(TTaskItem *item) = 0;
    // Shows the row of `item`, if any, as running or waiting.
    virtual void SetRowRunning(TTaskItem *item, bool running) = 0;
    // The bytes received so far for the row of `item`, if any, and the
    // length the server announced (0: none announced).
    virtual void UpdateProgressRow(TTaskItem *item, qint64 received, qint64 length) = 0;
};

// A picture saved while its task is shown: the file's full path and its size
// in bytes. Its caption (the name) and extension come from the path.
struct TPictureRow
{
    QString FileName;
    qint64 Size = 0;
};

class TPicturesView
{
public:
    virtual ~TPicturesView() = default;
    virtual void AddPictureRow(const TPictureRow &row) = 0;
};

// What a log line reports: a step of the work, or something that cost a
// picture or a page, which a view may mark.
enum class TLogKind { Info, Failure };

// The log: lines appended at its end; one view is shared by every task.
class TLogView
{
public:
    virtual ~TLogView() = default;
    virtual void AppendLogLine(const QString &line, TLogKind kind) = 0;
};

// A log line: "[" + date and time in the user's short date and long time
// formats (without a time-zone name) + "] - " + message.
QString LogLine(const QString &message, const QDateTime &when = QDateTime::currentDateTime());

// ---- How the values read -----------------------------------------------------

// The "Size(b)" cell: the announced length in decimal, "---" when none (0).
QString SizeText(qint64 length);
// The "Completed" cell: received / length x 100 rounded to the nearest
// integer (halves to even) followed by "%"; "---" when no length (0).
QString PercentText(qint64 received, qint64 length);
// A picture's size: the byte count divided by 1024, rounded toward zero,
// followed by " KB".
QString KiloBytesText(qint64 bytes);
// The extension of a file name with its dot ("photo.JPG" gives ".JPG"),
// empty when the name has none.
QString FileNameExtension(const QString &name);
