#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

// Routes SIGINT and SIGTERM into the event loop for as long as it lives: the
// handler only writes the signal's number to a socket pair, and the callback
// runs on the main thread.
class TStopSignals
{
public:
    explicit TStopSignals(std::function<void(int signal)> onSignal);
    ~TStopSignals();
    TStopSignals(const TStopSignals &) = delete;
    TStopSignals &operator=(const TStopSignals &) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};
