#pragma once

#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Decodes the pictures a preview pane shows, on a thread of its own, so that
// a large picture never holds up the window. Only the newest request counts:
// a request that has not begun is replaced by the next one, and the result
// of any request but the newest is dropped, so stepping quickly through a
// long list decodes little more than the rows the user stops on.
//
// Results come back on the main thread through the program's main-thread
// calls (TMainThreadCalls), never after Cancel() or the decoder's end.
// Made, used and destroyed on the main thread.
class TPreviewDecoder
{
public:
    enum class TWhat {
        FirstImage,    // the first image (a ".gif" through the GIF decoder)
        AllImages,     // every image of the file; the first is returned
        CountThenFirst // the number of images, and the first one when fewer than two
    };

    struct TResult {
        QString Path;
        QImage Picture;     // null when decoding failed or was not asked for
        int ImageCount = 0; // CountThenFirst only; 0 when it could not be counted
        QString Error;      // why there is no picture, when it failed
    };
    using TDone = std::function<void(const TResult &result)>;

    TPreviewDecoder();
    // Drops every pending request and result and waits for a decode in
    // progress to end (a codec cannot be interrupted mid-picture).
    ~TPreviewDecoder();
    TPreviewDecoder(const TPreviewDecoder &) = delete;
    TPreviewDecoder &operator=(const TPreviewDecoder &) = delete;

    // Asks for `path`; `done` gets the result on the main thread unless a
    // newer request or Cancel() comes first.
    void Request(const QString &path, TWhat what, TDone done);
    // Drops the pending request and any result not delivered yet.
    void Cancel();
    // A request is waiting for its result.
    bool Busy() const { return m_state->Waiting; }

    // The decoding itself, as the thread runs it (for tests).
    static TResult Decode(const QString &path, TWhat what);

private:
    struct TRequest {
        QString Path;
        TWhat What = TWhat::FirstImage;
        quint64 Generation = 0;
    };
    // Shared with the thread and with the results posted to the main thread.
    struct TState {
        // Main thread only.
        quint64 Generation = 0;
        bool Waiting = false;
        TDone Done;
        // Under Lock.
        std::mutex Lock;
        std::condition_variable Wake;
        std::optional<TRequest> Pending;
        bool Quit = false;
        // Set as the decoder ends: a picture of many megabytes in the
        // middle of its decoding gives up, so closing a window never waits
        // for it.
        std::atomic<bool> Abandon{false};
    };

    static void Run(const std::shared_ptr<TState> &state);

    std::shared_ptr<TState> m_state;
    std::thread m_thread;
};
