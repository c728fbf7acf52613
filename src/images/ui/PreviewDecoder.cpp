#include "images/ui/PreviewDecoder.h"

#include "engine/Errors.h"
#include "engine/MainThreadCalls.h"
#include "imaging/DecodeControl.h"
#include "imaging/Gif.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFormat.h"

#include <QThread>

TPreviewDecoder::TPreviewDecoder()
    : m_state(std::make_shared<TState>())
{
    // Made here, on the main thread, before the thread could need it; and
    // Qt learns which thread is its main one before the decoder's first
    // QObject (a picture reader) comes to life.
    TMainThreadCalls::Instance();
    QThread::currentThread();
}

TPreviewDecoder::~TPreviewDecoder()
{
    Cancel();
    {
        std::lock_guard guard(m_state->Lock);
        m_state->Quit = true;
    }
    m_state->Abandon = true;
    m_state->Wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TPreviewDecoder::Request(const QString &path, TWhat what, TDone done)
{
    m_state->Done = std::move(done);
    m_state->Waiting = true;
    const quint64 generation = ++m_state->Generation;
    {
        std::lock_guard guard(m_state->Lock);
        m_state->Pending = TRequest{path, what, generation};
    }
    m_state->Wake.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread(&TPreviewDecoder::Run, m_state);
}

void TPreviewDecoder::Cancel()
{
    ++m_state->Generation;
    m_state->Waiting = false;
    m_state->Done = nullptr;
    std::lock_guard guard(m_state->Lock);
    m_state->Pending.reset();
}

TPreviewDecoder::TResult TPreviewDecoder::Decode(const QString &path, TWhat what)
{
    TResult result;
    result.Path = path;
    try {
        if (what == TWhat::CountThenFirst) {
            result.ImageCount = IsGifFile(path) ? 1 : ImageCount(path);
            if (result.ImageCount >= 2)
                return result;
        }
        if (IsGifFile(path)) {
            TGif gif;
            gif.LoadFromFile(path);
            result.Picture = gif.Bitmap();
        } else {
            result.Picture = LoadImages(path, what == TWhat::AllImages ? 0 : 1).constFirst();
        }
    } catch (const EZavelonError &error) {
        result.Error = error.message();
    } catch (const std::exception &error) {
        result.Error = QString::fromLocal8Bit(error.what());
    }
    return result;
}

void TPreviewDecoder::Run(const std::shared_ptr<TState> &state)
{
    const TAbandonDecoding abandon(state->Abandon);
    for (;;) {
        TRequest request;
        {
            std::unique_lock guard(state->Lock);
            state->Wake.wait(guard, [&] { return state->Quit || state->Pending.has_value(); });
            if (state->Quit)
                return;
            request = std::move(*state->Pending);
            state->Pending.reset();
        }
        TResult result = Decode(request.Path, request.What);
        TMainThreadCalls::Instance().Post([state, generation = request.Generation, result = std::move(result)] {
            // Main thread: a newer request, a cancel or the decoder's end
            // has moved the generation on, and this result is stale.
            if (state->Generation != generation || !state->Done)
                return;
            state->Waiting = false;
            const TDone done = state->Done;
            done(result);
        });
    }
}
