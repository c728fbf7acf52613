#include "engine/UrlList.h"

#include "engine/Task.h"
#include "engine/TaskItem.h"

QByteArray UrlListText(const TTask &task)
{
    QByteArray text = "* Finished item.\r\n\r\n";
    for (const TTaskItem *item : task.Items().ToList())
        text += (item->Done() ? "* " : "  ") + item->URL().URI().toUtf8() + "\r\n";
    return text;
}
