#include "app/SampleTasks.h"

#include "engine/FileNames.h"
#include "engine/Guid.h"
#include "engine/RegOptions.h"
#include "engine/Task.h"
#include "settings/TaskEntry.h"
#include "settings/TaskNaming.h"

const std::vector<const char *> &SampleFolders()
{
    static const std::vector<const char *> folders = {"Wallpaper", "Arts"};
    return folders;
}

const std::vector<TSampleTask> &SampleTasks()
{
    // Archives of public institutions that publish under free licences
    // (CC BY 4.0 for the observatories, public domain for the paintings) and
    // have kept their addresses for many years.
    static const std::vector<TSampleTask> tasks = {
        {"Wallpaper", "Wikimedia Commons", "https://commons.wikimedia.org/wiki/Category:Featured_pictures_on_Wikimedia_Commons"},
        {"Wallpaper", "ESO", "https://www.eso.org/public/images/"},
        {"Wallpaper", "ESA Hubble", "https://esahubble.org/images/"},
        {"Wallpaper", "ESA Webb", "https://esawebb.org/images/"},
        {"Wallpaper", "NOIRLab", "https://noirlab.edu/public/images/"},
        {"Arts", "Vincent van Gogh", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Vincent_van_Gogh"},
        {"Arts", "Claude Monet", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Claude_Monet"},
        {"Arts", "Rembrandt", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Rembrandt"},
        {"Arts", "Johannes Vermeer", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Johannes_Vermeer"},
        {"Arts", "Sandro Botticelli", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Sandro_Botticelli"},
        {"Arts", "Caravaggio", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Caravaggio"},
        {"Arts", "Pierre-Auguste Renoir", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Pierre-Auguste_Renoir"},
        {"Arts", "Gustav Klimt", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Gustav_Klimt"},
        {"Arts", "Edgar Degas", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Edgar_Degas"},
        {"Arts", "Paul Gauguin", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Paul_Gauguin"},
        {"Arts", "Pieter Bruegel the Elder", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Pieter_Bruegel_the_Elder"},
        {"Arts", "Titian", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Titian"},
        {"Arts", "Raphael", "https://commons.wikimedia.org/wiki/Category:Paintings_by_Raphael"},
    };
    return tasks;
}

std::unique_ptr<TTask> MakeSampleTask(const QString &name, const QString &url, const TRegOptions &defaults)
{
    TTaskEntry entry = NewTaskEntry(defaults);
    entry.Name = name;
    entry.Url = url;
    TRegOptions &options = entry.Options;
    options.EnableFileLimit = true;
    options.FileMaxSize = 10240;
    options.FileMinSize = 10;
    options.SeekDeep = 5;
    options.FileMasks = defaults.FileMasks;
    // A sample is the same for everyone: no excluded files, no schedule.
    options.ExcludeFiles.clear();
    options.Scheme = TRegScheme();
    options.DefaultFolder = SaveFolderOfName(AddBackslash(defaults.DefaultFolder), name);
    std::unique_ptr<TTask> task = MakeNewTask(entry);
    task->SetID(NewGuidText());
    return task;
}
