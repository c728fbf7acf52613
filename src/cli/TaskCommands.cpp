// zavelon-cli task show / task urls: inspect a project file.
#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/UrlList.h"

namespace {

QString TakeProjectFile(QStringList args, const char *usage)
{
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        throw UsageError(usage);
    return args.first();
}

void WriteOptions(JsonWriter &json, const TRegOptions &options)
{
    json.BeginObject()
        .Key("DefaultFolder").Value(options.DefaultFolder)
        .Key("EnableFileLimit").Value(options.EnableFileLimit)
        .Key("FileMaxSize").Value(options.FileMaxSize)
        .Key("FileMinSize").Value(options.FileMinSize)
        .Key("SeekDeep").Value(options.SeekDeep)
        .Key("AutoShutDown").Value(options.AutoShutDown)
        .Key("UseProxyServer").Value(options.UseProxyServer)
        .Key("ProxyServerAddr").Value(options.ProxyServerAddr)
        .Key("ProxyServerPort").Value(options.ProxyServerPort)
        .Key("ProxyLoginUserName").Value(options.ProxyLoginUserName)
        .Key("ProxyLoginPassword").Value(options.ProxyLoginPassword)
        .Key("DefaultLogFolder").Value(options.DefaultLogFolder)
        .Key("AutoSaveLog").Value(options.AutoSaveLog)
        .Key("FileMasks").Value(options.FileMasks)
        .Key("ExcludeFiles").Value(options.ExcludeFiles);
    json.Key("Scheme").BeginObject()
        .Key("SchemeType").Value(int(options.Scheme.SchemeType))
        .Key("SchemeCount").Value(options.Scheme.SchemeCount)
        .Key("SchemeStartDate").Value(options.Scheme.SchemeStartDate)
        .Key("SchemeStartTime").Value(options.Scheme.SchemeStartTime)
        .EndObject();
    json.Key("NeedToLogin").Value(options.NeedToLogin)
        .Key("LoginUserName").Value(options.LoginUserName)
        .Key("LoginPassword").Value(options.LoginPassword)
        .EndObject();
}

int TaskShow(const QStringList &args)
{
    TTask task;
    task.LoadFromFile(TakeProjectFile(args, "task show needs exactly one project file"));

    JsonWriter json;
    json.BeginObject()
        .Key("Name").Value(task.Name())
        .Key("Note").Value(task.Note())
        .Key("URL").Value(task.URL().URI())
        .Key("ID").Value(task.ID())
        .Key("Stopped").Value(task.Stopped())
        .Key("DoneCount").Value(task.DoneCount())
        .Key("Options");
    WriteOptions(json, task.Options());
    json.Key("Items").BeginArray();
    for (const TTaskItem *item : task.Items().ToList()) {
        json.BeginObject()
            .Key("Done").Value(item->Done())
            .Key("Depth").Value(item->Depth())
            .Key("URL").Value(item->URL().URI())
            .EndObject();
    }
    json.EndArray().EndObject();
    PrintOut(json.Line());
    return kExitOk;
}

int TaskUrls(const QStringList &args)
{
    TTask task;
    task.LoadFromFile(TakeProjectFile(args, "task urls needs exactly one project file"));
    PrintOut(UrlListText(task));
    return kExitOk;
}

const CommandRegistrar showCommand{{{QStringLiteral("task"), QStringLiteral("show")},
                                    QStringLiteral("task show FILE.wrp"), TaskShow}};
const CommandRegistrar urlsCommand{{{QStringLiteral("task"), QStringLiteral("urls")},
                                    QStringLiteral("task urls FILE.wrp"), TaskUrls}};

} // namespace
