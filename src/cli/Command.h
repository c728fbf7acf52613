#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

// Exit codes of the command-line contract.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitSigInt = 130,
    kExitSigTerm = 143,
};

// A usage error: printed with the usage text, exit 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One sub-command: the words that select it ("task show"), its usage line,
// and the handler that gets the remaining arguments. A handler throws
// UsageError for bad arguments and any other std::exception for a failure
// (one line naming the file or URL at fault); it returns the exit code.
struct CliCommand {
    QStringList words;
    QString usage;
    std::function<int(const QStringList &args)> run;
};

// Each command group registers itself from its own source file.
void RegisterCommand(CliCommand command);
const std::vector<CliCommand> &RegisteredCommands();

// Helper for static registration: `static const CommandRegistrar reg{{...}};`
struct CommandRegistrar {
    explicit CommandRegistrar(CliCommand command) { RegisterCommand(std::move(command)); }
};

// Writes UTF-8 text to stdout / stderr without locale conversion. PrintOut
// is false when stdout cannot take it (a reader that went away: a broken
// pipe; the program ignores SIGPIPE, so that it can stop in order).
bool PrintOut(const QByteArray &bytes);
void PrintErr(const QByteArray &bytes);

// Removes "--name VALUE" from args and returns VALUE (empty when absent);
// a "--name" without value is a usage error.
QString TakeOption(QStringList &args, const QString &name);
// Removes every "--name VALUE" and returns the values in order.
QStringList TakeRepeatedOption(QStringList &args, const QString &name);
// Removes "--name" and tells whether it was present.
bool TakeFlag(QStringList &args, const QString &name);
