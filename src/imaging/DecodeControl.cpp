#include "imaging/DecodeControl.h"

#include <QtGlobal>

#include <atomic>
#include <mutex>

namespace {

thread_local const std::atomic<bool> *t_abandon = nullptr;
thread_local int t_quiet = 0;

// Known only once the filter is installed: a message in that moment finds
// no handler to pass on to.
std::atomic<QtMessageHandler> g_previousHandler{nullptr};

void FilterDecoderMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (t_quiet > 0 && type != QtFatalMsg && type != QtCriticalMsg)
        return;
    if (const QtMessageHandler previous = g_previousHandler.load(std::memory_order_acquire))
        previous(type, context, message);
}

} // namespace

TAbandonDecoding::TAbandonDecoding(const std::atomic<bool> &abandon)
    : m_previous(t_abandon)
{
    t_abandon = &abandon;
}

TAbandonDecoding::~TAbandonDecoding()
{
    t_abandon = m_previous;
}

bool DecodingAbandoned()
{
    return t_abandon && t_abandon->load();
}

TQuietDecoding::TQuietDecoding()
{
    // Installed once, on the first decode, and chained to whatever handler
    // the program had: messages of other threads, and of this one outside
    // decoding, go on as before.
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_previousHandler.store(qInstallMessageHandler(FilterDecoderMessages), std::memory_order_release);
    });
    ++t_quiet;
}

TQuietDecoding::~TQuietDecoding()
{
    --t_quiet;
}
