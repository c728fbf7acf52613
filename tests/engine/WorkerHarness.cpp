#include "engine/WorkerHarness.h"

#include "engine/Task.h"
#include "engine/TaskItem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "engine_tests";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
}

bool PumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    EnsureApplication();
    QElapsedTimer clock;
    clock.start();
    QTimer tick; // wakes the loop now and then to test `done` again
    tick.start(5);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void PumpFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    PumpUntil([&] { return clock.elapsed() >= ms; }, ms + 1000);
}

void TRecordingViews::Attach(TTask &task)
{
    task.SetFilesView(this);
    task.SetLogView(this);
    task.SetPicturesView(this);
}

void TRecordingViews::Record(const QString &event)
{
    Events.push_back(event);
    if (OnEvent)
        OnEvent(event);
}

void TRecordingViews::AddItemRow(TTaskItem *item, const TFileRow &row)
{
    Rows.push_back(item);
    RowCells.push_back(row);
    Record(QStringLiteral("add %1 %2").arg(row.URL).arg(row.Depth));
}

void TRecordingViews::RemoveItemRow(TTaskItem *item)
{
    const auto it = std::find(Rows.begin(), Rows.end(), item);
    if (it != Rows.end()) {
        RowCells.erase(RowCells.begin() + (it - Rows.begin()));
        Rows.erase(it);
    }
    Record(QStringLiteral("remove %1").arg(item->URL().URI()));
}

void TRecordingViews::SetRowRunning(TTaskItem *item, bool running)
{
    Record(QStringLiteral("image %1 %2").arg(item->URL().URI()).arg(running ? 1 : 0));
}

void TRecordingViews::UpdateProgressRow(TTaskItem *item, qint64 received, qint64 length)
{
    Record(QStringLiteral("progress %1 %2 %3").arg(item->URL().URI(), SizeText(length), PercentText(received, length)));
}

void TRecordingViews::AddPictureRow(const TPictureRow &row)
{
    const QString name = QFileInfo(row.FileName).fileName();
    Record(QStringLiteral("picture %1 %2 %3").arg(name, FileNameExtension(name), KiloBytesText(row.Size)));
}

void TRecordingViews::AppendLogLine(const QString &line, TLogKind kind)
{
    LogKinds.push_back(kind);
    static const QRegularExpression stamp(QStringLiteral("^\\[[^\\]]*\\] - "));
    QString message = line;
    message.remove(stamp);
    Record(QStringLiteral("log ") + message);
}

QStringList TRecordingViews::LogMessages() const
{
    QStringList messages;
    for (const QString &event : Events)
        if (event.startsWith(QLatin1String("log ")))
            messages << event.mid(4);
    return messages;
}

QStringList TRecordingViews::EventsStartingWith(const QString &prefix) const
{
    QStringList events;
    for (const QString &event : Events)
        if (event.startsWith(prefix))
            events << event;
    return events;
}
