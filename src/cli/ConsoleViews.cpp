#include "cli/ConsoleViews.h"

#include "cli/Command.h"
#include "engine/Task.h"

void TProgressLine::Draw(const TTask &task, qint64 savedBytes)
{
    if (!m_enabled)
        return;
    const QString text = QStringLiteral("%1/%2 done, %3 running, %4 KB saved")
                             .arg(task.DoneCount())
                             .arg(task.Items().Count())
                             .arg(task.RunningCount())
                             .arg(savedBytes / 1024);
    PrintErr("\r\033[K" + text.toUtf8());
    m_drawn = true;
}

void TProgressLine::Clear()
{
    if (m_drawn)
        PrintErr("\r\033[K");
    m_drawn = false;
}

TConsoleLog::TConsoleLog(TProgressLine &progress, bool print, std::function<void()> onBrokenPipe)
    : m_progress(progress)
    , m_print(print)
    , m_onBrokenPipe(std::move(onBrokenPipe))
{
}

void TConsoleLog::AppendLogLine(const QString &line, TLogKind)
{
    if (!m_print || m_broken)
        return;
    m_progress.Clear();
    if (!PrintOut(line.toUtf8() + '\n')) {
        m_broken = true;
        m_onBrokenPipe();
    }
}
