#include "images/ui/LoadImageThread.h"

#include "engine/Errors.h"
#include "images/ImageLibrary.h"

#include <algorithm>

TLoadImageThread::TLoadImageThread(const TImageLibrary &library, TSink sink)
    : m_library(library)
    , m_sink(std::move(sink))
{
}

void TLoadImageThread::Start()
{
    m_thread.Start([library = &m_library, sink = m_sink](const TGateJob &job) {
        // Every hand-over runs from the event loop, in its turn: the window
        // answers the user between two batches.
        const int count = library->Count();
        if (!job.CallMainInTurn([begin = sink.Begin, count] {
                if (begin)
                    begin(count);
            }))
            return;
        std::vector<const TImageDetail *> batch;
        batch.reserve(size_t(std::min(count, kBatch)));
        const auto handOver = [&](int lastIndex) {
            auto records = std::make_shared<std::vector<const TImageDetail *>>(std::move(batch));
            batch = {};
            batch.reserve(size_t(std::min(count, kBatch)));
            return job.CallMainInTurn([take = sink.Records, records, lastIndex] {
                if (take)
                    take(*records, lastIndex);
            });
        };
        int last = -1;
        for (int index = 0; index < count; ++index) {
            if (job.Stopped())
                return;
            try {
                batch.push_back(library->Items(index));
            } catch (const EZavelonError &) {
                // Nothing removes records while the window loads; should
                // the list have shrunk all the same, it ends here.
                break;
            }
            last = index;
            if (int(batch.size()) == kBatch && !handOver(last))
                return;
        }
        if (!batch.empty() && !handOver(last))
            return;
        job.CallMainInTurn([end = sink.End] {
            if (end)
                end();
        });
    });
}
