// Runs one task in the real main window (offscreen) and measures how the
// window keeps up while the task is shown: the lateness of a 10 ms timer
// (every user action waits behind the same event loop), the time "Stop"
// takes to return, and the peak memory of the process.
//
//   window_latency --home DIR --task FILE.wrp [--stop-after SECONDS]
//
// While the task runs it does what a user watching it would: scrolls the
// files list, moves the selection in it, switches between Log and Report.
// Prints one line of key=value pairs.
#include "app/MainForm.h"
#include "app/RunControl.h"
#include "app/StatePanel.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "engine/DateTime.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "session/DownloadSession.h"
#include "widgets/ErrorReport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

long PeakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

QString Argument(const QStringList &args, const QString &name)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    PinLocalTimeZone();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString home = Argument(args, QStringLiteral("--home"));
    const QString taskFile = Argument(args, QStringLiteral("--task"));
    const double stopAfter = Argument(args, QStringLiteral("--stop-after")).toDouble();
    if (home.isEmpty() || taskFile.isEmpty()) {
        std::fprintf(stderr, "usage: window_latency --home DIR --task FILE.wrp [--stop-after SECONDS]\n");
        return 2;
    }
    SetProgramHome(ResolveProgramHome(home));
    SetErrorReporter([](QWidget *, const QString &text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); });

    TMainForm form;
    form.LoadTipTimer->stop();
    form.resize(1280, 860);
    form.show();
    TTaskTreeModel &tree = form.TreePanel()->Model();
    const QModelIndex node = tree.FindPath(taskFile);
    if (!node.isValid()) {
        std::fprintf(stderr, "task %s is not under the project folder\n", qPrintable(taskFile));
        return 1;
    }
    form.TreePanel()->SetCurrent(node);
    TTask *task = form.TreeCommands()->SelectedTask();

    std::vector<double> lateness;
    QElapsedTimer clock;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    qint64 last = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateness.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
        last = now;
    });

    // What a user watching the run does, five times a second.
    auto *files = form.findChild<QTreeView *>(QStringLiteral("FilesListView"));
    std::mt19937 random(7);
    int step = 0;
    QTimer user;
    user.setInterval(200);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QScrollBar *bar = files->verticalScrollBar();
        if (bar->maximum() > 0)
            bar->setValue(int(random() % unsigned(bar->maximum() + 1)));
        const int rows = files->model()->rowCount();
        if (rows > 0)
            files->setCurrentIndex(files->model()->index(int(random() % unsigned(rows)), 1));
        if (++step % 5 == 0)
            form.StatePanel()->SetCurrentPage(step % 10 == 0 ? TStatePanel::LogPage : TStatePanel::ReportPage);
    });

    double stopMs = -1;
    QTimer stopper;
    stopper.setSingleShot(true);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        QElapsedTimer stopClock;
        stopClock.start();
        form.Action(TCommandId::TasksStop)->trigger();
        stopMs = double(stopClock.nsecsElapsed()) / 1e6;
        QApplication::exit(0);
    });
    QObject::connect(form.Session.get(), &TDownloadSession::TaskFinished, &app, [] {
        // Not quit(): that asks the window to close, and a window may refuse.
        QApplication::exit(0);
    });

    clock.start();
    probe.start();
    user.start();
    if (stopAfter > 0)
        stopper.start(int(stopAfter * 1000));
    form.Action(TCommandId::TasksRun)->trigger();
    app.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    probe.stop();
    user.stop();

    std::printf("wall_s=%.2f items=%d done=%d ticks=%zu late_p50_ms=%.1f late_p99_ms=%.1f late_max_ms=%.1f "
                "stop_ms=%s peak_rss_mb=%.0f\n",
                wall, task->Items().Count(), task->DoneCount(), lateness.size(), Percentile(lateness, 0.5),
                Percentile(lateness, 0.99), lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()),
                stopMs < 0 ? "-" : qPrintable(QString::number(stopMs, 'f', 1)), double(PeakRssKb()) / 1024.0);
    std::fflush(stdout);
    form.Action(TCommandId::TasksExit)->trigger();
    return 0;
}
