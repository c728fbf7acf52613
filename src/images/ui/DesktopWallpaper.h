#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

// Setting the desktop wallpaper. The picture is saved into the home's
// "Wallpaper/" folder and handed to the desktop's own mechanism, chosen by
// XDG_CURRENT_DESKTOP: GNOME (gsettings, org.gnome.desktop.background),
// KDE Plasma (its shell's script interface over D-Bus, else
// plasma-apply-wallpaperimage), XFCE (xfconf-query on xfce4-desktop), and
// elsewhere feh when it is installed. Every desktop program is run through
// one TCommandRunner, which tests replace by a recorder: no test may change
// a real wallpaper.

enum class TWallpaperStyle { Center, Tile, Stretch, Max };

struct TCommandResult {
    bool Started = false;
    int ExitCode = -1;
    QByteArray Output;
    QByteArray Errors;
    bool Succeeded() const { return Started && ExitCode == 0; }
};

class TCommandRunner
{
public:
    virtual ~TCommandRunner() = default;
    // Whether there is a desktop to talk to at all.
    virtual bool HasDesktop() const = 0;
    // Whether `program` is installed (found on the PATH).
    virtual bool Exists(const QString &program) const = 0;
    // Runs `program` with `arguments` and waits for it to end.
    virtual TCommandResult Run(const QString &program, const QStringList &arguments) = 0;
};

// The runner of desktop programs. The one in place at start runs them with
// QProcess (and sees no desktop on Qt's "offscreen" and "minimal"
// platforms). SetCommandRunner installs another and returns the previous.
TCommandRunner &CommandRunner();
std::unique_ptr<TCommandRunner> SetCommandRunner(std::unique_ptr<TCommandRunner> runner);

enum class TDesktopKind { Gnome, Kde, Xfce, Other };
// The desktop named by an XDG_CURRENT_DESKTOP value ("ubuntu:GNOME",
// "KDE", "XFCE", ...), without regard to letter case.
TDesktopKind DesktopKindOf(const QString &currentDesktop);

// Where the wallpaper made from a picture file goes: the home's
// "Wallpaper/" folder and the picture's file name; a ".gif" picture becomes
// a PNG of the same base name.
QString WallpaperFileName(const QString &picturePath);
// Writes `picture` to WallpaperFileName(picturePath), making the folder when
// needed, and returns that path. Raises EZavelonError naming the file when
// it cannot be written.
QString SaveWallpaperPicture(const QImage &picture, const QString &picturePath);

// Makes `file` the wallpaper of the current desktop in `style`. Raises
// EZavelonError with a message for the user when no mechanism is known for
// this desktop or its program fails.
void ApplyWallpaper(const QString &file, TWallpaperStyle style);
