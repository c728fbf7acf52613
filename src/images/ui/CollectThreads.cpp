#include "images/ui/CollectThreads.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "images/ImageLibrary.h"
#include "images/ui/FileTransfer.h"

#include <QFileInfo>

#include <memory>

TProgressThread::TProgressThread(int rowCount, TProgressSink sink)
    : m_maximum(rowCount > 0 ? rowCount - 1 : 100)
    , m_sink(std::move(sink))
{
}

bool TProgressThread::ProgressStep(const TGateJob &job, const TProgressSink &sink, int index)
{
    return job.CallMain([&] {
        if (sink.Progress)
            sink.Progress(index);
    });
}

void TProgressThread::Finish(const TGateJob &job, const TProgressSink &sink, const QString &problem)
{
    if (!ProgressStep(job, sink, 0))
        return;
    if (sink.Finished)
        job.CallMainInTurn([finished = sink.Finished, problem] { finished(problem); });
}

TLoadThread::TLoadThread(const TImageLibrary *library, const QStringList &paths, TProgressSink sink, TSizesSink sizes)
    : TProgressThread(int(paths.size()), std::move(sink))
    , m_library(library)
    , m_paths(paths)
    , m_sizes(std::move(sizes))
{
}

void TLoadThread::Start()
{
    m_thread.Start([library = m_library, paths = m_paths, sink = m_sink, sizes = m_sizes](const TGateJob &job) {
        std::vector<TPixelSize> batch;
        // The library answers a look-up at once; what costs is the trip to
        // the main thread, made once per batch of rows, in the event loop's
        // turn so that the window answers the user meanwhile.
        const auto handOver = [&](int lastRow) {
            auto found = std::make_shared<std::vector<TPixelSize>>(std::move(batch));
            batch = {};
            return job.CallMainInTurn([sizes, progress = sink.Progress, found, lastRow] {
                if (!found->empty() && sizes)
                    sizes(*found);
                if (progress)
                    progress(lastRow);
            });
        };
        for (int row = 0; library && row < paths.size(); ++row) {
            if (job.Stopped())
                return;
            if (const TImageDetail *record = library->Find(paths.at(row)))
                batch.push_back({row, record->Width, record->Height});
            if ((row + 1) % kBatch == 0 || row + 1 == paths.size()) {
                if (!handOver(row))
                    return;
            }
        }
        Finish(job, sink);
    });
}

TCopyThread::TCopyThread(const QString &destFolder, std::vector<TItem> items, int rowCount, TProgressSink sink,
                         TOverwriteQuestion ask)
    : TProgressThread(rowCount, std::move(sink))
    , m_destFolder(AddBackslash(destFolder))
    , m_items(std::move(items))
    , m_ask(std::move(ask))
{
}

void TCopyThread::Start()
{
    m_thread.Start([dest = m_destFolder, items = m_items, sink = m_sink, ask = m_ask](const TGateJob &job) {
        // The operation's decision and ask-again flag, and each file's
        // answer, are touched on the main thread only; they are shared with
        // the calls that touch them, which may outlive a stopped job.
        auto state = std::make_shared<TOverwriteState>();
        auto target = std::make_shared<QString>();
        int failed = 0;
        QString firstError;
        for (const TItem &item : items) {
            if (job.Stopped())
                return;
            const QString wanted = dest + QFileInfo(item.Path).fileName();
            const bool answered = job.CallMainInTurn([state, target, source = item.Path, wanted, ask] {
                *target = state->Resolve(source, wanted, ask);
            });
            if (!answered)
                return;
            // Read only after the call has returned: the main thread is done with it.
            const QString copyTo = *target;
            if (!copyTo.isEmpty()) {
                try {
                    if (CopyFileReplacing(item.Path, copyTo, &job.Gate()) == TTransferResult::Stopped)
                        return;
                } catch (const EZavelonError &error) {
                    // The others are still copied; the window says at the
                    // end how many were not.
                    if (failed++ == 0)
                        firstError = error.message();
                }
            }
            if (!ProgressStep(job, sink, item.Row))
                return;
        }
        Finish(job, sink, failed == 0 ? QString() : TransferFailureText(failed, firstError, false));
    });
}
