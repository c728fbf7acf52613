#pragma once

#include "images/ui/GateThread.h"
#include "images/ui/OverwriteDecision.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TImageLibrary;

// What the collect window's threads report; every callback runs on the main
// thread, and none after the thread was stopped.
struct TProgressSink {
    // The progress step: the bar goes to `index` (of the thread's Maximum()).
    std::function<void(int index)> Progress;
    // The thread has done its work (never when it was stopped); `problem`
    // is empty, or says what could not be done (files not copied). Runs
    // from the event loop: it may show a message.
    std::function<void(const QString &problem)> Finished;
};

// The base of the collect window's two threads: a job over the rows of its
// list, whose progress runs from 0 to the last row's index (0 to 100 for an
// empty list), reported through the progress step, and which ends with the
// step at 0. Stop() and Wait() as TGateThread.
class TProgressThread
{
public:
    TProgressThread(int rowCount, TProgressSink sink);
    virtual ~TProgressThread() = default;
    TProgressThread(const TProgressThread &) = delete;
    TProgressThread &operator=(const TProgressThread &) = delete;

    int Maximum() const { return m_maximum; }
    void Stop() { m_thread.Stop(); }
    void Wait() { m_thread.Wait(); }

protected:
    static bool ProgressStep(const TGateJob &job, const TProgressSink &sink, int index);
    // The step at 0, then Finished.
    static void Finish(const TGateJob &job, const TProgressSink &sink, const QString &problem = QString());

    const int m_maximum;
    const TProgressSink m_sink;
    TGateThread m_thread;
};

// Looks every row's file up in the image library and hands the width and
// height of those it knows to the window.
class TLoadThread : public TProgressThread
{
public:
    struct TPixelSize {
        int Row = 0;
        qint32 Width = 0;
        qint32 Height = 0;
    };
    using TSizesSink = std::function<void(const std::vector<TPixelSize> &sizes)>;

    // `library` may be null (no library: the thread finishes at once); it
    // must outlive the thread.
    TLoadThread(const TImageLibrary *library, const QStringList &paths, TProgressSink sink, TSizesSink sizes);
    void Start();

    // Rows looked up between two hand-overs to the window.
    static constexpr int kBatch = 256;

private:
    const TImageLibrary *m_library;
    const QStringList m_paths;
    const TSizesSink m_sizes;
};

// Copies the ticked rows' files into the destination folder: the conflict
// step (is the target there, ask, free name) on the main thread, the copy
// itself on this thread, through a temporary file so that a stop or a
// failure never leaves a half-written target.
class TCopyThread : public TProgressThread
{
public:
    struct TItem {
        int Row = 0;
        QString Path;
    };

    // `ask` answers conflicts on the main thread (from the event loop, so it
    // may show the dialog).
    TCopyThread(const QString &destFolder, std::vector<TItem> items, int rowCount, TProgressSink sink,
                TOverwriteQuestion ask);
    void Start();

private:
    const QString m_destFolder;
    const std::vector<TItem> m_items;
    const TOverwriteQuestion m_ask;
};
