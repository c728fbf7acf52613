// zavelon-cli: runs tasks without a display and exposes the file formats.
#include "cli/Command.h"
#include "engine/AsciiText.h"
#include "engine/DateTime.h"
#include "engine/ProgramHome.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>

namespace {

std::vector<CliCommand> &Registry()
{
    static std::vector<CliCommand> commands;
    return commands;
}

// The commands in the order of their words: registration follows the order
// in which the linker happened to place the files, which means nothing.
std::vector<const CliCommand *> SortedCommands()
{
    std::vector<const CliCommand *> commands;
    for (const CliCommand &command : RegisteredCommands())
        commands.push_back(&command);
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand *a, const CliCommand *b) { return a->words < b->words; });
    return commands;
}

QByteArray UsageText()
{
    QByteArray text = "usage: zavelon-cli [--home DIR] COMMAND [ARGS]\n";
    for (const CliCommand *command : SortedCommands())
        text += "  zavelon-cli " + command->usage.toUtf8() + '\n';
    text += "  zavelon-cli COMMAND --help\n"
            "  zavelon-cli --help | --version\n";
    return text;
}

QByteArray CommandUsageText(const CliCommand &command)
{
    return "usage: zavelon-cli [--home DIR] " + command.usage.toUtf8() + '\n';
}

const CliCommand *FindCommand(const QStringList &args, qsizetype &consumed)
{
    const CliCommand *best = nullptr;
    for (const CliCommand &command : RegisteredCommands()) {
        const qsizetype n = command.words.size();
        if (args.size() >= n && args.mid(0, n) == command.words && (!best || n > best->words.size()))
            best = &command;
    }
    consumed = best ? best->words.size() : 0;
    return best;
}

// The usage asked for by "--help" after command words: that command's usage,
// or, for the first words of several commands ("task --help"), the usage of
// each of them. Empty when the words name no command.
QByteArray HelpFor(const QStringList &words)
{
    qsizetype consumed = 0;
    if (const CliCommand *command = FindCommand(words, consumed))
        return CommandUsageText(*command);
    QByteArray text;
    if (words.isEmpty())
        return text;
    for (const CliCommand *command : SortedCommands()) {
        if (command->words.mid(0, words.size()) == words)
            text += CommandUsageText(*command);
    }
    return text;
}

bool IsHelpSwitch(const QString &argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
           argument == QLatin1String("help");
}

} // namespace

void RegisterCommand(CliCommand command)
{
    Registry().push_back(std::move(command));
}

const std::vector<CliCommand> &RegisteredCommands()
{
    return Registry();
}

bool PrintOut(const QByteArray &bytes)
{
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 && written == static_cast<size_t>(bytes.size());
}

void PrintErr(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

QString TakeOption(QStringList &args, const QString &name)
{
    const QStringList values = TakeRepeatedOption(args, name);
    if (values.size() > 1)
        throw UsageError(QStringLiteral("%1 given more than once").arg(name).toStdString());
    return values.value(0);
}

QStringList TakeRepeatedOption(QStringList &args, const QString &name)
{
    QStringList values;
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] != name) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size())
            throw UsageError(QStringLiteral("%1 needs a value").arg(name).toStdString());
        values << args[i + 1];
        args.remove(i, 2);
    }
    return values;
}

bool TakeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

int main(int argc, char *argv[])
{
    // A reader that goes away (`zavelon-cli run ... | head`) must not kill
    // the program in the middle of a write: the write fails instead, and a
    // run stops in order.
    std::signal(SIGPIPE, SIG_IGN);
    PinLocalTimeZone();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zavelon-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZAVELON_VERSION));

    QStringList args = app.arguments().mid(1);
    try {
        QString homeOverride;
        if (!args.isEmpty() && args.first() == QLatin1String("--home")) {
            if (args.size() < 2)
                throw UsageError("--home needs a folder");
            homeOverride = args[1];
            args.remove(0, 2);
        }
        // Help and version are answered before the home folder is looked
        // for, so asking for them never creates one.
        if (!args.isEmpty() && IsHelpSwitch(args.first())) {
            // "help COMMAND" is the same as "COMMAND --help".
            QStringList words = args.mid(1);
            words.removeAll(QStringLiteral("--help"));
            const QByteArray text = words.isEmpty() ? UsageText() : HelpFor(words);
            if (text.isEmpty())
                throw UsageError("unknown command: " + words.join(' ').toStdString());
            PrintOut(text);
            return kExitOk;
        }
        if (!args.isEmpty() && args.first() == QLatin1String("--version")) {
            PrintOut("zavelon-cli " ZAVELON_VERSION "\n");
            return kExitOk;
        }
        // "--help" anywhere after the command words, even where an option's
        // value would stand, asks for that command's usage.
        if (const qsizetype helpAt = args.indexOf(QStringLiteral("--help")); helpAt > 0) {
            const QByteArray text = HelpFor(args.mid(0, helpAt));
            if (!text.isEmpty()) {
                PrintOut(text);
                return kExitOk;
            }
        }
        qsizetype consumed = 0;
        const CliCommand *command = FindCommand(args, consumed);
        if (!command)
            throw UsageError(args.isEmpty() ? "no command given" : "unknown command: " + args.join(' ').toStdString());
        const QString home = ResolveProgramHome(homeOverride);
        if (home.isEmpty())
            throw std::runtime_error("cannot create the home folder " + homeOverride.toStdString());
        SetProgramHome(home);
        return command->run(args.mid(consumed));
    } catch (const UsageError &error) {
        PrintErr(QByteArray("zavelon-cli: ") + error.what() + '\n' + UsageText());
        return kExitUsage;
    } catch (const std::exception &error) {
        // Names and URLs in the message may come from web pages.
        PrintErr("zavelon-cli: " + EscapeControlChars(QString::fromUtf8(error.what())).toUtf8() + '\n');
        return kExitFailed;
    }
}
