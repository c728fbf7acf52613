// zavelon-cli task show / task urls: inspect a project file.
#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "cli/OptionsJson.h"
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
