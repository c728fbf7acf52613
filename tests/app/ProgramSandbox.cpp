#include "ProgramSandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

const char *const kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "ZAVELON_HOME"};

} // namespace

QString DesktopProgramPath()
{
#ifdef ZAVELON_APP
    return QStringLiteral(ZAVELON_APP);
#else
    return {};
#endif
}

TProgramSandbox::TProgramSandbox()
{
    for (const char *name : kVariables) {
        if (qEnvironmentVariableIsSet(name))
            m_saved.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    m_valid = m_root.isValid() && QDir().mkpath(ConfigHome()) && QDir().mkpath(DataHome())
              && QDir().mkpath(ProgramHome()) && QDir().mkpath(RuntimeFolder())
              && QFile::setPermissions(RuntimeFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                            | QFileDevice::ExeOwner);
    qputenv("HOME", UserHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", ConfigHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", RuntimeFolder().toLocal8Bit());
    qunsetenv("ZAVELON_HOME");
}

TProgramSandbox::~TProgramSandbox()
{
    for (const char *name : kVariables) {
        const QString key = QString::fromLatin1(name);
        if (m_saved.contains(key))
            qputenv(name, m_saved.value(key).toLocal8Bit());
        else
            qunsetenv(name);
    }
}

QString TProgramSandbox::UserHome() const
{
    return m_root.path() + QStringLiteral("/user");
}

QString TProgramSandbox::ConfigHome() const
{
    return UserHome() + QStringLiteral("/.config");
}

QString TProgramSandbox::DataHome() const
{
    return UserHome() + QStringLiteral("/.local/share");
}

QString TProgramSandbox::RuntimeFolder() const
{
    return m_root.path() + QStringLiteral("/run");
}

QString TProgramSandbox::ProgramHome() const
{
    return m_root.path() + QStringLiteral("/zavelon home/");
}

QProcessEnvironment TProgramSandbox::Environment(const QString &platform) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "ZAVELON_HOME", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), UserHome());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), DataHome());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return environment;
}

std::unique_ptr<QProcess> TProgramSandbox::Start(const QStringList &arguments, const QString &platform) const
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Environment(platform));
    process->setWorkingDirectory(m_root.path());
    process->start(DesktopProgramPath(), arguments);
    return process;
}

TProgramSandbox::TRun TProgramSandbox::Run(const QStringList &arguments, const QByteArray &input,
                                           const QString &platform, int timeoutMs) const
{
    std::unique_ptr<QProcess> process = Start(arguments, platform);
    if (!process->waitForStarted())
        return {};
    process->write(input);
    process->closeWriteChannel();
    // Not waitForFinished(): an in-process program may have to answer it.
    QDeadlineTimer deadline(timeoutMs);
    while (process->state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished();
        return {-1, process->readAllStandardOutput(), process->readAllStandardError()};
    }
    return {process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1, process->readAllStandardOutput(),
            process->readAllStandardError()};
}
