#include "app/HostManifests.h"

#include "app/Startup.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstdio>

namespace {

const QFileDevice::Permissions kReadable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
const QFileDevice::Permissions kRunnable = kReadable | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                           | QFileDevice::ExeOther;

QString FolderFromEnvironment(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // The base-directory rules ignore a relative value.
    return !value.isEmpty() && QFileInfo(value).isAbsolute() ? QDir::cleanPath(value) : fallback;
}

QString ConfigHome()
{
    return FolderFromEnvironment("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString DataHome()
{
    return FolderFromEnvironment("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QString ManifestFileName()
{
    return QString::fromLatin1(THostManifests::kHostName) + QStringLiteral(".json");
}

// A path that a menu entry or a shell line cannot carry safely.
void RefuseLineBreaks(const QString &path)
{
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            throw EZavelonError(
                QStringLiteral("The path \"%1\" contains a control character; the browser entries are not written.")
                    .arg(path));
    }
}

QString ShellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// One argument of a menu entry's Exec line: quoted, with the characters that
// stay special inside quotes escaped, then written as a string value (whose
// own escape doubles each backslash), with "%" doubled so that it is no
// field code.
QString ExecArgument(const QString &text)
{
    QString quoted;
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted;
}

QString StringValue(const QString &text)
{
    QString value = text;
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return value;
}

QByteArray ManifestJson(const QString &hostPath, const QString &listKey, const QString &allowed)
{
    QJsonObject manifest;
    manifest.insert(QStringLiteral("name"), QString::fromLatin1(THostManifests::kHostName));
    manifest.insert(QStringLiteral("description"),
                    QStringLiteral("Zavelon: hands the links and pictures chosen in the browser to Zavelon"));
    manifest.insert(QStringLiteral("path"), hostPath);
    manifest.insert(QStringLiteral("type"), QStringLiteral("stdio"));
    manifest.insert(listKey, QJsonArray{allowed});
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

void WriteIfChanged(const QString &path, const QByteArray &content, QFileDevice::Permissions permissions)
{
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content
        && existing.permissions() == (existing.permissions() | permissions)) {
        return;
    }
    existing.close();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw EZavelonError(QStringLiteral("Cannot create the folder \"%1\".").arg(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.setPermissions(permissions)
        || !file.commit()) {
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, file.errorString()));
    }
}

void RemoveIfThere(const QString &path)
{
    QFile file(path);
    if ((file.exists() || QFileInfo(path).isSymLink()) && !file.remove())
        throw EZavelonError(QStringLiteral("Cannot remove file \"%1\". %2").arg(path, file.errorString()));
}

} // namespace

THostManifests::THostManifests(const QString &program, const QString &home)
    : m_program(program)
    , m_home(home)
{
}

QStringList THostManifests::ManifestPaths() const
{
    const QString config = ConfigHome();
    return {config + QStringLiteral("/chromium/NativeMessagingHosts/") + ManifestFileName(),
            config + QStringLiteral("/google-chrome/NativeMessagingHosts/") + ManifestFileName(),
            QDir::homePath() + QStringLiteral("/.mozilla/native-messaging-hosts/") + ManifestFileName()};
}

QString THostManifests::HostScriptPath() const
{
    return DataHome() + QStringLiteral("/org.zavelon.Zavelon/zavelon-native-host");
}

QString THostManifests::DesktopEntryPath() const
{
    return DataHome() + QStringLiteral("/applications/") + QLatin1String(kDesktopEntryName);
}

QByteArray THostManifests::ChromiumManifest() const
{
    return ManifestJson(HostScriptPath(), QStringLiteral("allowed_origins"),
                        QStringLiteral("chrome-extension://%1/").arg(QLatin1String(kChromiumExtensionId)));
}

QByteArray THostManifests::FirefoxManifest() const
{
    return ManifestJson(HostScriptPath(), QStringLiteral("allowed_extensions"), QLatin1String(kFirefoxExtensionId));
}

QByteArray THostManifests::HostScript() const
{
    return QStringLiteral("#!/bin/sh\n"
                          "# Zavelon's native-messaging host: the browsers' host manifests name this\n"
                          "# script. Written by zavelon at every start; \"zavelon -UNREGSERVER\" removes it.\n"
                          "exec %1 --native-host --home %2 \"$@\"\n")
        .arg(ShellQuoted(m_program), ShellQuoted(m_home))
        .toUtf8();
}

QByteArray THostManifests::DesktopEntry() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Zavelon\n"
                          "GenericName=Picture Downloader\n"
                          "Comment=Find pictures on web sites and download them\n"
                          "Icon=org.zavelon.Zavelon\n"
                          "Exec=%1 --home %2 %u\n"
                          "TryExec=%3\n"
                          "Terminal=false\n"
                          "Categories=Network;FileTransfer;\n"
                          "Keywords=pictures;images;download;crawler;gallery;wallpaper;\n"
                          "StartupNotify=true\n"
                          "StartupWMClass=zavelon\n")
        .arg(ExecArgument(m_program), ExecArgument(m_home), StringValue(m_program))
        .toUtf8();
}

void THostManifests::Write() const
{
    RefuseLineBreaks(m_program);
    RefuseLineBreaks(m_home);
    // The script first: a manifest must never name a host that is not there.
    WriteIfChanged(HostScriptPath(), HostScript(), kRunnable);
    const QStringList manifests = ManifestPaths();
    WriteIfChanged(manifests.at(0), ChromiumManifest(), kReadable);
    WriteIfChanged(manifests.at(1), ChromiumManifest(), kReadable);
    WriteIfChanged(manifests.at(2), FirefoxManifest(), kReadable);
    WriteIfChanged(DesktopEntryPath(), DesktopEntry(), kReadable);
}

void THostManifests::Remove() const
{
    for (const QString &path : ManifestPaths())
        RemoveIfThere(path);
    RemoveIfThere(HostScriptPath());
    // Our own folder only, and only when nothing else was put there.
    QDir().rmdir(QFileInfo(HostScriptPath()).absolutePath());
    RemoveIfThere(DesktopEntryPath());
}

std::optional<TRegistrationSwitch> FindRegistrationSwitch(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--home")) {
            ++i; // a folder name, whatever it looks like
            continue;
        }
        if (argument.size() < 2 || (argument.front() != QLatin1Char('-') && argument.front() != QLatin1Char('/')))
            continue;
        const QString name = argument.mid(1);
        if (name.compare(QLatin1String("REGSERVER"), Qt::CaseInsensitive) == 0)
            return TRegistrationSwitch::Register;
        if (name.compare(QLatin1String("UNREGSERVER"), Qt::CaseInsensitive) == 0)
            return TRegistrationSwitch::Unregister;
    }
    return std::nullopt;
}

int RunRegistration(int argc, char **argv, TRegistrationSwitch which)
{
    QCoreApplication app(argc, argv);
    try {
        if (which == TRegistrationSwitch::Unregister) {
            THostManifests(QCoreApplication::applicationFilePath(), QString()).Remove();
            return 0;
        }
        const QString home = ResolveProgramHome(HomeArgument(QCoreApplication::arguments()));
        if (home.isEmpty())
            throw EZavelonError(QStringLiteral("Cannot create the home folder."));
        THostManifests(QCoreApplication::applicationFilePath(), home).Write();
        return 0;
    } catch (const EZavelonError &error) {
        std::fprintf(stderr, "zavelon: %s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
}

void UpdateHostManifests(const QString &program, const QString &home)
{
    try {
        THostManifests(program, home).Write();
    } catch (const EZavelonError &error) {
        std::fprintf(stderr, "zavelon: the browser entries are not written: %s\n",
                     error.message().toLocal8Bit().constData());
    }
}
