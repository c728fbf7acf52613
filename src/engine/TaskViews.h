#pragma once

#include <QDateTime>
#include <QString>

class TTaskItem;

// The three views a task refers to (and does not own): the files list, the
// log and the pictures list. They are the only way the engine changes what
// the user sees. The desktop program implements them with its widgets, the
// command line with its output, the tests with recorders.
//
// Every call comes on the main thread (the thread of the Qt event loop):
// workers reach the views only through synchronous calls posted to that loop,
// in the order each worker produced them. The rules of what is shown and
// when (the columns of a row, "only while the task is shown", the state
// image) are the task's (TTask::AddItemRow and its siblings); a view only
// puts what it is given on the screen.

// The cells of a new files-view row, under the captions
// "!", "From URL", "Type", "Size(b)", "Depth", "Completed".
struct TFileRow
{
    int StateImage = 0;           // "!": 1 while the item runs, else 0
    QString URL;                  // "From URL"
    QString Type;                 // "Type": the extension with its dot, or empty
    QString Size = QStringLiteral("---");      // "Size(b)"
    QString Depth;                // "Depth", in decimal
    QString Completed = QStringLiteral("---"); // "Completed"
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
    // Gives the row of `item`, if any, the state image (1 running, 0 not).
    virtual void SetRowStateImage(TTaskItem *item, int image) = 0;
    // Sets the "Size(b)" and "Completed" cells of the row of `item`, if any.
    virtual void UpdateProgressRow(TTaskItem *item, const QString &size, const QString &completed) = 0;
};

// A row of the pictures view: no state image; the caption is the file's
// name, then its extension with the dot and its size as "N KB" (bytes / 1024,
// rounded toward zero). The row keeps the file's full path.
struct TPictureRow
{
    QString Caption;
    QString Extension;
    QString Size;
    QString FileName;
};

class TPicturesView
{
public:
    virtual ~TPicturesView() = default;
    virtual void AddPictureRow(const TPictureRow &row) = 0;
};

// The log: lines appended at its end; one view is shared by every task.
class TLogView
{
public:
    virtual ~TLogView() = default;
    virtual void AppendLogLine(const QString &line) = 0;
};

// A log line: "[" + date and time in the user's short date and long time
// formats + "] - " + message.
QString LogLine(const QString &message, const QDateTime &when = QDateTime::currentDateTime());

// The pictures-view row of a saved file of `size` bytes.
TPictureRow PictureRow(const QString &path, qint64 size);
