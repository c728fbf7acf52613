#include "cli/CliRunner.h"

#include <QProcess>

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
