#include "cli/CliRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

CliRun RunCli(const QString &home, const QStringList &args, const QByteArray &input, const QString &workingFolder)
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(ZAVELON_CLI), QStringList{QStringLiteral("--home"), home} + args);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

CliRun RunCliInSandbox(const QString &sandbox, const QStringList &args)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZAVELON_HOME"), sandbox + QStringLiteral("/zavelon-home"));
    environment.insert(QStringLiteral("HOME"), sandbox);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), sandbox + QStringLiteral("/data"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(sandbox);
    process.start(QStringLiteral(ZAVELON_CLI), args);
    EXPECT_TRUE(process.waitForStarted());
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
