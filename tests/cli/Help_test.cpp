#include "cli/CliRunner.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList Words(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QByteArray Usage(const char *command)
{
    return QByteArray("usage: zavelon-cli [--home DIR] ") + command + '\n';
}

// The lines of the full usage that name a command, without the program name.
QList<QByteArray> CommandLines(const QByteArray &usage)
{
    QList<QByteArray> commands;
    for (const QByteArray &line : usage.split('\n')) {
        if (line.startsWith("  zavelon-cli ") && line.size() > 14 && line.at(14) >= 'a' && line.at(14) <= 'z')
            commands << line.mid(14);
    }
    return commands;
}

} // namespace

// Every way of asking for the whole usage prints it on stdout, exits 0, and
// makes no home folder.
TEST(Help, WholeUsageOnStdout)
{
    const char *requests[] = {"--help", "-h", "help", "help --help", "--home unused --help", "--home unused help"};
    QByteArray first;
    for (const char *request : requests) {
        SCOPED_TRACE(request);
        QTemporaryDir sandbox;
        ASSERT_TRUE(sandbox.isValid());
        const CliRun run = RunCliInSandbox(sandbox.path(), Words(request));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith("usage: zavelon-cli [--home DIR] COMMAND [ARGS]\n")) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("  zavelon-cli COMMAND --help\n"));
        EXPECT_TRUE(run.out.contains("  zavelon-cli --help | --version\n"));
        EXPECT_EQ(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
        if (first.isEmpty())
            first = run.out;
        EXPECT_EQ(run.out, first);
    }
}

TEST(Help, VersionOnStdout)
{
    for (const char *request : {"--version", "--home unused --version"}) {
        SCOPED_TRACE(request);
        QTemporaryDir sandbox;
        ASSERT_TRUE(sandbox.isValid());
        const CliRun run = RunCliInSandbox(sandbox.path(), Words(request));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, QByteArray("zavelon-cli " ZAVELON_VERSION "\n"));
        EXPECT_TRUE(run.err.isEmpty());
        EXPECT_EQ(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    }
}

// "--help" after the command words, wherever it stands, prints that
// command's usage and does nothing else: the named files are not touched.
TEST(Help, CommandUsageInsteadOfRunning)
{
    struct Case {
        const char *request;
        QByteArray usage;
    };
    const Case cases[] = {
        {"task show --help", Usage("task show FILE.wrp")},
        {"task show a.wrp --help", Usage("task show FILE.wrp")},
        {"help task show", Usage("task show FILE.wrp")},
        {"run a.wrp --quiet --help", Usage("run FILE.wrp [--quiet]")},
        {"help run", Usage("run FILE.wrp [--quiet]")},
        {"scan --help", Usage("scan BASEURL [FILE]")},
        {"library add a.png --help --file lib.db", Usage("library add PATH... [--file FILE]")},
        {"settings show --help", Usage("settings show")},
        // Where the value of an option would stand, too.
        {"task new a.wrp --url --help",
         Usage("task new FILE.wrp --url URL [--name NAME] [--note TEXT] [--folder DIR] [--depth N] [--min KB] "
               "[--max KB] [--no-limit] [--mask \"EXT, FOLDER\"]... [--exclude NAME]... [--login USER:PASSWORD]")},
        // The first words of several commands: the usage of each.
        {"library --help", Usage("library add PATH... [--file FILE]") + Usage("library list [--file FILE]")},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.request);
        QTemporaryDir sandbox;
        ASSERT_TRUE(sandbox.isValid());
        const CliRun run = RunCliInSandbox(sandbox.path(), Words(test.request));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), test.usage.toStdString());
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    }
}

// Each command the whole usage lists answers "--help" with its own line, so
// the two never disagree.
TEST(Help, EveryListedCommandHasItsUsage)
{
    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QList<QByteArray> commands = CommandLines(RunCliInSandbox(sandbox.path(), {QStringLiteral("--help")}).out);
    ASSERT_GE(commands.size(), 8);
    for (const QByteArray &line : commands) {
        SCOPED_TRACE(line.toStdString());
        QStringList words;
        for (const QByteArray &word : line.split(' ')) {
            if (word.isEmpty() || word.at(0) < 'a' || word.at(0) > 'z')
                break;
            words << QString::fromUtf8(word);
        }
        const CliRun run = RunCliInSandbox(sandbox.path(), words << QStringLiteral("--help"));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, "usage: zavelon-cli [--home DIR] " + line + '\n');
    }
}

// Help for what is not a command stays a usage error.
TEST(Help, UnknownCommandIsUsageError)
{
    for (const char *request : {"nosuch --help", "help nosuch", "help task nosuch"}) {
        SCOPED_TRACE(request);
        QTemporaryDir sandbox;
        ASSERT_TRUE(sandbox.isValid());
        const CliRun run = RunCliInSandbox(sandbox.path(), Words(request));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains("unknown command")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("usage: zavelon-cli")) << run.err.toStdString();
    }
}
