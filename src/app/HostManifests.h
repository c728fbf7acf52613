#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The entries that let the browser extension and the desktop menu reach this
// program, written into the user's own folders:
//   - the native-messaging host manifests of Chromium, Google Chrome and
//     Firefox ($XDG_CONFIG_HOME/chromium/NativeMessagingHosts/,
//     $XDG_CONFIG_HOME/google-chrome/NativeMessagingHosts/,
//     ~/.mozilla/native-messaging-hosts/), all named after the host;
//   - the host script they name ($XDG_DATA_HOME/org.zavelon.Zavelon/
//     zavelon-native-host): browsers start a host without arguments, so the
//     script starts this program with "--native-host" and its home;
//   - the menu entry ($XDG_DATA_HOME/applications/org.zavelon.Zavelon.desktop),
//     which takes the place of the installed one of the same name.
// They name the program's path and home as of the last start, so a program
// that has moved puts them right with one start. Each file is written
// atomically, and only when its content changes; nothing else in those
// folders is touched.
class THostManifests
{
public:
    // The host's name, as the extension asks for it.
    static constexpr const char *kHostName = "org.zavelon.zavelon";
    // The extensions that may start the host: the Chromium extension's ID
    // (fixed by the public key in its manifest) and the Firefox add-on's ID.
    static constexpr const char *kChromiumExtensionId = "dmeeibcbphepcifclhlodmohokkgbfdi";
    static constexpr const char *kFirefoxExtensionId = "zavelon@zavelon.org";
    static constexpr const char *kDesktopEntryName = "org.zavelon.Zavelon.desktop";

    // `program`: the absolute path of the desktop program; `home`: its home.
    THostManifests(const QString &program, const QString &home);

    QStringList ManifestPaths() const;
    QString HostScriptPath() const;
    QString DesktopEntryPath() const;

    QByteArray ChromiumManifest() const;
    QByteArray FirefoxManifest() const;
    QByteArray HostScript() const;
    QByteArray DesktopEntry() const;

    // Writes every entry, making the folders they need. Raises EZavelonError
    // naming the file that could not be written.
    void Write() const;
    // Removes every entry that exists (and the host script's folder when it
    // is left empty). Raises EZavelonError naming a file that would not go.
    void Remove() const;

private:
    QString m_program;
    QString m_home;
};

// The switch that only writes or removes the entries: "REGSERVER" or
// "UNREGSERVER" after "-" or "/", in any letter case.
enum class TRegistrationSwitch { Register, Unregister };
std::optional<TRegistrationSwitch> FindRegistrationSwitch(const QStringList &arguments);

// `zavelon -REGSERVER` / `-UNREGSERVER`: writes or removes the entries for
// the program's home and ends without a window. 0 on success, 1 with the
// reason on standard error otherwise.
int RunRegistration(int argc, char **argv, TRegistrationSwitch which);

// A normal start writes the entries; a failure is said on standard error and
// the start goes on without them.
void UpdateHostManifests(const QString &program, const QString &home);
