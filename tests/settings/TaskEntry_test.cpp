#include "settings/TaskEntry.h"

#include "engine/Task.h"
#include "settings/QtPrinters.h"
#include "settings/TaskNaming.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList Numbered(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("e%1").arg(i);
    return list;
}

} // namespace

TEST(TaskEntry, NewEntryTakesWhatDefaultsHandToTasks)
{
    TRegOptions defaults;
    defaults.DefaultFolder = QStringLiteral("/pictures/");
    defaults.SeekDeep = 9;
    defaults.FileMasks = {QStringLiteral(" jpg ,Pics "), QStringLiteral("no comma")};
    defaults.ExcludeFiles = {QStringLiteral("spacer.gif")};
    defaults.Scheme.SchemeType = 2;
    defaults.UseProxyServer = true;
    defaults.ProxyServerAddr = QStringLiteral("proxy.example");
    defaults.AutoShutDown = true;
    defaults.AutoSaveLog = false;
    defaults.DefaultLogFolder = QStringLiteral("/logs/");
    defaults.ProjectPath = QStringLiteral("/projects/");
    defaults.DefaultTaskAdded = true;

    const TTaskEntry entry = NewTaskEntry(defaults);
    EXPECT_TRUE(entry.Name.isEmpty() && entry.Url.isEmpty() && entry.Note.isEmpty());
    const TRegOptions &o = entry.Options;
    EXPECT_EQ(o.DefaultFolder, QStringLiteral("/pictures/"));
    EXPECT_EQ(o.SeekDeep, 9);
    EXPECT_EQ(o.FileMasks, QStringList({"jpg, Pics", ", "}));
    EXPECT_EQ(o.ExcludeFiles, defaults.ExcludeFiles);
    EXPECT_EQ(o.Scheme.SchemeType, 2);
    EXPECT_TRUE(o.UseProxyServer);
    EXPECT_EQ(o.ProxyServerAddr, QStringLiteral("proxy.example"));
    const TRegOptions fresh;
    EXPECT_EQ(o.AutoShutDown, fresh.AutoShutDown);
    EXPECT_EQ(o.AutoSaveLog, fresh.AutoSaveLog);
    EXPECT_EQ(o.DefaultLogFolder, fresh.DefaultLogFolder);
    EXPECT_EQ(o.ProjectPath, fresh.ProjectPath);
    EXPECT_EQ(o.DefaultTaskAdded, fresh.DefaultTaskAdded);
}

TEST(TaskEntry, ConfirmStopsAtTheFirstFaultInTheDialogsOrder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("a/b/c"));
    struct Case {
        const char *what;
        QString name;
        int masks;
        QString folder;
        TTaskEntryFault fault;
        bool urlCompleted;
    };
    const Case cases[] = {
        {"fine", QStringLiteral("task"), 256, folder, TTaskEntryFault::None, true},
        {"dot in name, empty folder", QStringLiteral("a.b"), 0, QString(), TTaskEntryFault::InvalidName, false},
        {"blank name", QStringLiteral("  "), 0, folder, TTaskEntryFault::InvalidName, false},
        {"257 masks", QStringLiteral("task"), 257, folder, TTaskEntryFault::ListTooLong, false},
        {"empty folder", QStringLiteral("task"), 0, QString(), TTaskEntryFault::EmptySaveFolder, true},
    };
    for (const Case &c : cases) {
        TTaskEntry entry;
        entry.Name = c.name;
        entry.Url = QStringLiteral("example.com");
        entry.Options.FileMasks = Numbered(c.masks);
        entry.Options.DefaultFolder = c.folder;
        EXPECT_EQ(ConfirmTaskEntry(entry), c.fault) << c.what;
        EXPECT_EQ(entry.Url == QStringLiteral("http://example.com"), c.urlCompleted) << c.what;
        EXPECT_EQ(QFileInfo(folder).isDir(), c.fault == TTaskEntryFault::None) << c.what;
        QDir(dir.filePath(QStringLiteral("a"))).removeRecursively();
    }
    EXPECT_EQ(TaskEntryFaultMessage(TTaskEntryFault::InvalidName), kInvalidTaskNameMessage);
    EXPECT_EQ(TaskEntryFaultMessage(TTaskEntryFault::EmptySaveFolder), QStringLiteral("Unable to create directory"));
    EXPECT_TRUE(TaskEntryFaultMessage(TTaskEntryFault::None).isEmpty());
}

TEST(TaskEntry, MakeAndApplyCopyTheEntryIntoATask)
{
    QTemporaryDir dir;
    TTaskEntry entry;
    entry.Name = QStringLiteral("site");
    entry.Url = QStringLiteral("HTTPS://example.com/");
    entry.Note = QStringLiteral("note");
    entry.Options.DefaultFolder = dir.filePath(QStringLiteral("site"));
    entry.Options.NeedToLogin = true;
    const std::unique_ptr<TTask> task = MakeNewTask(entry);
    EXPECT_EQ(task->Name(), QStringLiteral("site"));
    EXPECT_EQ(task->URL().URI(), QStringLiteral("HTTPS://example.com/"));
    EXPECT_EQ(task->Note(), QStringLiteral("note"));
    EXPECT_EQ(task->Options().DefaultFolder, dir.filePath(QStringLiteral("site/")));
    EXPECT_TRUE(task->Options().NeedToLogin);
    EXPECT_TRUE(task->ID().isEmpty());
    EXPECT_TRUE(task->FileName().isEmpty());

    TTaskEntry edited = TaskEntryOf(*task);
    EXPECT_EQ(edited.Options.ToBlock(), task->Options().ToBlock());
    edited.Options.SeekDeep = 2;
    ApplyTaskEntry(edited, *task);
    EXPECT_EQ(task->Options().SeekDeep, 2);

    entry.Name = QStringLiteral("bad:name");
    try {
        MakeNewTask(entry);
        FAIL() << "an invalid name must be refused";
    } catch (const ETaskEntryError &error) {
        EXPECT_EQ(error.Fault(), TTaskEntryFault::InvalidName);
        EXPECT_EQ(error.message(), kInvalidTaskNameMessage);
    }
}
