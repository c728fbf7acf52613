// zavelon-cli task new / settings show: make a task from the default options,
// and show the settings store.
#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "cli/OptionsJson.h"
#include "engine/Errors.h"
#include "engine/Guid.h"
#include "engine/MaskEntry.h"
#include "engine/Task.h"
#include "settings/RegSettings.h"
#include "settings/TaskEntry.h"
#include "settings/TaskNaming.h"

#include <limits>
#include <optional>

namespace {

// A text slot of the project file holds 1023 bytes and its NUL.
constexpr qsizetype kMaxSlotText = 1023;

// Loads the home's settings as the desktop program does at start, telling
// on stderr when a damaged store had to be kept aside.
void LoadSettings(TRegSettings &settings)
{
    settings.Load();
    if (!settings.DamagedStoreCopy().isEmpty()) {
        PrintErr(QStringLiteral("zavelon-cli: the settings store %1 could not be read (%2); it is kept as %3 "
                                "and the settings start afresh\n")
                     .arg(settings.StoreFileName(), settings.StoreDamage(), settings.DamagedStoreCopy())
                     .toUtf8());
    }
}

// The value of "--name VALUE" when the option is given (even as ""), else none.
std::optional<QString> TakeGivenOption(QStringList &args, const QString &name)
{
    if (!args.contains(name))
        return std::nullopt;
    return TakeOption(args, name);
}

std::optional<std::int32_t> TakeIntOption(QStringList &args, const QString &name, std::int32_t low,
                                          std::int32_t high)
{
    const std::optional<QString> text = TakeGivenOption(args, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high)
        throw UsageError(QStringLiteral("%1 needs a whole number from %2 to %3").arg(name).arg(low).arg(high).toStdString());
    return value;
}

// How the options of `task new` reach what the dialog would refuse.
QString CommandLineHint(TTaskEntryFault fault, const TTaskEntry &entry)
{
    switch (fault) {
    case TTaskEntryFault::InvalidName:
        return QStringLiteral(" (task name \"%1\"; choose another with --name)").arg(entry.Name);
    case TTaskEntryFault::EmptySaveFolder:
        return QStringLiteral(" (the save folder is empty)");
    case TTaskEntryFault::ListTooLong:
        return QStringLiteral(" (%1 masks, %2 excluded files with the stored defaults)")
            .arg(entry.Options.FileMasks.size())
            .arg(entry.Options.ExcludeFiles.size());
    case TTaskEntryFault::None:
        break;
    }
    return {};
}

// What the "New Task" dialog holds when it is confirmed.
struct TNewTaskInput {
    QString ProjectFile;
    QString Url;
    std::optional<QString> Name;
    QString Note;
    std::optional<QString> Folder;
    std::optional<std::int32_t> Depth;
    std::optional<std::int32_t> MinSize;
    std::optional<std::int32_t> MaxSize;
    bool NoLimit = false;
    QStringList Masks;
    QStringList Excludes;
    std::optional<QString> Login;
};

TNewTaskInput ParseTaskNew(QStringList args)
{
    constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
    TNewTaskInput input;
    input.Url = TakeOption(args, QStringLiteral("--url"));
    input.Name = TakeGivenOption(args, QStringLiteral("--name"));
    input.Note = TakeOption(args, QStringLiteral("--note"));
    input.Folder = TakeGivenOption(args, QStringLiteral("--folder"));
    input.Depth = TakeIntOption(args, QStringLiteral("--depth"), 0, 30); // the track bar's range
    input.MinSize = TakeIntOption(args, QStringLiteral("--min"), kMinInt, kMaxInt);
    input.MaxSize = TakeIntOption(args, QStringLiteral("--max"), kMinInt, kMaxInt);
    input.NoLimit = TakeFlag(args, QStringLiteral("--no-limit"));
    input.Masks = TakeRepeatedOption(args, QStringLiteral("--mask"));
    input.Excludes = TakeRepeatedOption(args, QStringLiteral("--exclude"));
    input.Login = TakeGivenOption(args, QStringLiteral("--login"));
    if (input.Url.isEmpty())
        throw UsageError("task new needs --url URL");
    for (const QString &mask : input.Masks) {
        const TMaskEntry entry = SplitMaskEntry(mask);
        if (!mask.contains(QLatin1Char(',')) || entry.Extension.isEmpty() || entry.Folder.isEmpty())
            throw UsageError(QStringLiteral("--mask needs the form \"EXT, FOLDER\", not \"%1\"").arg(mask).toStdString());
    }
    // The note's field holds kMaxSlotText bytes; a longer note is refused
    // rather than cut without a word.
    if (input.Note.toUtf8().size() > kMaxSlotText)
        throw UsageError(QStringLiteral("--note is longer than its field (%1 bytes of UTF-8 at most)").arg(kMaxSlotText).toStdString());
    if (input.Login && !input.Login->contains(QLatin1Char(':')))
        throw UsageError("--login needs USER:PASSWORD");
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        throw UsageError("task new needs exactly one project file" +
                         (args.size() > 1 ? ", not " + args.join(' ').toStdString() : std::string()));
    input.ProjectFile = args.first();
    return input;
}

int TaskNew(const QStringList &args)
{
    const TNewTaskInput input = ParseTaskNew(args);
    TRegSettings settings;
    LoadSettings(settings);
    const TRegOptions &defaults = settings.Options;

    // The dialog's fields as the user leaves them: the name comes from the
    // URL as typed, before completion; the save folder follows the name.
    TTaskEntry entry = NewTaskEntry(defaults);
    entry.Url = input.Url;
    entry.Name = input.Name ? *input.Name : NameFromUrl(input.Url);
    entry.Note = input.Note;
    TRegOptions &options = entry.Options;
    options.DefaultFolder = input.Folder ? *input.Folder : SaveFolderOfName(defaults.DefaultFolder, entry.Name);
    options.EnableFileLimit = options.EnableFileLimit && !input.NoLimit;
    options.FileMaxSize = input.MaxSize.value_or(options.FileMaxSize);
    options.FileMinSize = input.MinSize.value_or(options.FileMinSize);
    options.SeekDeep = input.Depth.value_or(options.SeekDeep);
    if (!input.Masks.isEmpty()) {
        options.FileMasks.clear();
        for (const QString &mask : input.Masks)
            options.FileMasks << JoinMaskEntry(SplitMaskEntry(mask));
    }
    options.ExcludeFiles += input.Excludes;
    if (input.Login) {
        const qsizetype colon = input.Login->indexOf(QLatin1Char(':'));
        options.NeedToLogin = true;
        options.LoginUserName = input.Login->left(colon);
        options.LoginPassword = input.Login->mid(colon + 1);
    }

    std::unique_ptr<TTask> task;
    try {
        task = MakeNewTask(entry);
    } catch (const ETaskEntryError &error) {
        throw EZavelonError(error.message() + CommandLineHint(error.Fault(), entry));
    }
    task->SetID(NewGuidText());
    task->SetFileName(input.ProjectFile);
    task->SaveToFile(input.ProjectFile);
    return kExitOk;
}

int SettingsShow(const QStringList &args)
{
    if (!args.isEmpty())
        throw UsageError("settings show takes no arguments");
    TRegSettings settings;
    LoadSettings(settings);
    const TRegWindow &window = settings.Window;
    const TRegMenu &menu = settings.Menu;

    JsonWriter json;
    json.BeginObject().Key("Window").BeginObject()
        .Key("Height").Value(window.Height)
        .Key("Top").Value(window.Top)
        .Key("Left").Value(window.Left)
        .Key("Width").Value(window.Width)
        .Key("State").Value(int(window.State))
        .Key("ShowMinPrompt").Value(window.ShowMinPrompt)
        .Key("ShowTip").Value(window.ShowTip)
        .Key("TipIndex").Value(window.TipIndex)
        .EndObject();
    json.Key("Menu").BeginObject()
        .Key("ShowStatePanel").Value(menu.ShowStatePanel)
        .Key("ShowStandardToolBar").Value(menu.ShowStandardToolBar)
        .Key("ShowAllFiles").Value(menu.ShowAllFiles)
        .Key("FitImages").Value(menu.FitImages)
        .Key("ImageSort").Value(int(menu.ImageSort))
        .EndObject();
    json.Key("Options").BeginObject();
    WriteOptionsFields(json, settings.Options);
    WriteStoreOnlyFields(json, settings.Options);
    json.EndObject();
    json.EndObject();
    PrintOut(json.Line());
    return kExitOk;
}

const CommandRegistrar newCommand{
    {{QStringLiteral("task"), QStringLiteral("new")},
     QStringLiteral("task new FILE.wrp --url URL [--name NAME] [--note TEXT] [--folder DIR] [--depth N] "
                    "[--min KB] [--max KB] [--no-limit] [--mask \"EXT, FOLDER\"]... [--exclude NAME]... "
                    "[--login USER:PASSWORD]"),
     TaskNew}};
const CommandRegistrar showCommand{
    {{QStringLiteral("settings"), QStringLiteral("show")}, QStringLiteral("settings show"), SettingsShow}};

} // namespace
