#include "cli/StopSignals.h"

#include <cerrno>
#include <stdexcept>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &number, 1);
    errno = saved;
}

} // namespace

TStopSignals::TStopSignals(std::function<void(int signal)> onSignal)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        throw std::runtime_error("cannot set up the signal handling");
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [onSignal = std::move(onSignal)] {
        char number = 0;
        if (::read(g_signalPipe[0], &number, 1) == 1)
            onSignal(number);
    });
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
}

TStopSignals::~TStopSignals()
{
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
    m_notifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}
