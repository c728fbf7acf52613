#pragma once

#include <QString>

#include <memory>
#include <vector>

class TRegOptions;
class TTask;

// The tasks written on the first start: freely licensed picture sources whose
// pages are plain server-rendered HTML, all over https. Folder "Wallpaper"
// holds sites named after themselves, folder "Arts" galleries of public-domain
// painters named after the artist.
struct TSampleTask {
    const char *Folder;
    const char *Name;
    const char *Url;
};

const std::vector<TSampleTask> &SampleTasks();
// The sample folders in the order they are made: "Wallpaper", then "Arts".
const std::vector<const char *> &SampleFolders();

// A sample task as the first start makes it, as a new task is made: its name
// and start URL, an empty note, the size limit on (10 KB to 10240 KB), depth
// 5, the default file masks, the default proxy settings, a new ID, and the
// default folder followed by the task's name (the folder is made); every
// other option keeps its constructor value. Throws ETaskEntryError for a name
// a task cannot have.
std::unique_ptr<TTask> MakeSampleTask(const QString &name, const QString &url, const TRegOptions &defaults);
