// zavelon-cli library list / library add: the image library file from the
// command line.
#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "images/AddImageFile.h"
#include "images/ImageLibrary.h"
#include "images/ImageLibrarySession.h"
#include "images/LibraryJournal.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The library file of --file, else the home's imglib.db.
QString TakeLibraryFile(QStringList &args)
{
    const QString file = TakeOption(args, QStringLiteral("--file"));
    return file.isEmpty() ? ImageLibraryFileName(ProgramHome()) : file;
}

void RefuseOptions(const QStringList &args)
{
    for (const QString &arg : args)
        if (arg.startsWith(QLatin1String("--")))
            throw UsageError("unknown option: " + arg.toStdString());
}

// The journal's records, and its pending pictures measured now.
void FoldJournal(TImageLibrary &library, const QString &file)
{
    const TLibraryJournal::TContent journal = TLibraryJournal(file).Read();
    for (const std::unique_ptr<TImageDetail> &record : journal.Records) {
        auto copy = std::make_unique<TImageDetail>();
        copy->Assign(*record);
        library.AddIfAbsent(std::move(copy), true);
    }
    for (const TLibraryJournal::TPending &pending : journal.Pending) {
        try {
            AddImageFile(library, pending.Path);
        } catch (const EZavelonError &) {
            // Gone or unreadable since: not a picture of the library.
        }
    }
}

QByteArray RecordLine(const TImageDetail &record)
{
    JsonWriter json;
    json.BeginObject()
        .Key("FileName").Value(record.FileName)
        .Key("Added").Value(record.Added)
        .Key("FileSize").Value(int(record.FileSize))
        .Key("Width").Value(int(record.Width))
        .Key("Height").Value(int(record.Height))
        .EndObject();
    return json.Line();
}

int ListLibrary(const QStringList &arguments)
{
    QStringList args = arguments;
    const QString file = TakeLibraryFile(args);
    RefuseOptions(args);
    if (!args.isEmpty())
        throw UsageError("unexpected argument: " + args.first().toStdString());
    TImageLibrary library;
    library.LoadFromFile(file);
    // What programs recorded since the file was last written is in its
    // journal (a file with another signature is no library: nothing of it).
    if (library.LastLoadState() != TImageLibrary::TLoadState::Foreign)
        FoldJournal(library, file);
    QByteArray out;
    for (int i = 0; i < library.Count(); ++i) {
        out += RecordLine(*library.Items(i));
        if (out.size() > 1 << 16) {
            PrintOut(out);
            out.clear();
        }
    }
    PrintOut(out);
    return kExitOk;
}

// Records each file as a saved download is recorded, then writes the library.
// A FILE that is there but is no library is left alone (exit 1); the home's
// library is kept aside then and a new one started, as the programs do.
// A file that cannot be recorded does not stop the others; the command then
// fails naming the first such file, after the library was written.
int AddToLibrary(const QStringList &arguments)
{
    QStringList paths = arguments;
    const bool named = paths.contains(QStringLiteral("--file"));
    const QString file = TakeLibraryFile(paths);
    RefuseOptions(paths);
    if (paths.isEmpty())
        throw UsageError("library add needs at least one PATH");
    TImageLibrarySession session(file, named ? TImageLibrarySession::TUnreadable::Refuse
                                             : TImageLibrarySession::TUnreadable::KeepAside);
    if (!session.SavesOnShutDown())
        throw EZavelonError(session.StartupError());
    if (!session.StartupError().isEmpty())
        PrintErr("zavelon-cli: " + session.StartupError().toUtf8() + '\n');
    QStringList failures;
    for (const QString &path : paths) {
        // The library is keyed by full path, as the program records it.
        const QString fullPath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        try {
            AddImageFile(session.ImageLibrary(), fullPath);
        } catch (const EZavelonError &error) {
            failures << error.message();
        }
    }
    session.ShutDown();
    if (failures.size() == 1)
        throw EZavelonError(failures.first());
    if (failures.size() > 1)
        throw EZavelonError(QStringLiteral("%1 (and %2 more files not recorded)").arg(failures.first()).arg(failures.size() - 1));
    return kExitOk;
}

const CommandRegistrar listCommand{{{QStringLiteral("library"), QStringLiteral("list")},
                                    QStringLiteral("library list [--file FILE]"), ListLibrary}};
const CommandRegistrar addCommand{{{QStringLiteral("library"), QStringLiteral("add")},
                                   QStringLiteral("library add PATH... [--file FILE]"), AddToLibrary}};

} // namespace
