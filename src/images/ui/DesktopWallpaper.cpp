#include "images/ui/DesktopWallpaper.h"

#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "imaging/ImageServices.h"
#include "imaging/PictureFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <mutex>

namespace {

class TProcessRunner : public TCommandRunner
{
public:
    bool HasDesktop() const override
    {
        const QString platform = QGuiApplication::platformName();
        return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
    }

    bool Exists(const QString &program) const override
    {
        return !QStandardPaths::findExecutable(program).isEmpty();
    }

    TCommandResult Run(const QString &program, const QStringList &arguments) override
    {
        TCommandResult result;
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForStarted(5000)) {
            result.Errors = process.errorString().toUtf8();
            return result;
        }
        result.Started = true;
        process.closeWriteChannel();
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished(1000);
            result.Errors = "did not finish within 20 seconds";
            return result;
        }
        result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.Output = process.readAllStandardOutput();
        result.Errors = process.readAllStandardError();
        return result;
    }
};

std::mutex g_runnerLock;
std::unique_ptr<TCommandRunner> g_runner;

QString CommandText(const QString &program, const QStringList &arguments)
{
    QString text = program;
    for (const QString &argument : arguments)
        text += QLatin1Char(' ') + (argument.size() > 60 ? argument.left(57) + QLatin1String("...") : argument);
    return text;
}

// Runs a desktop program; raises with what it said when it fails.
TCommandResult RunOrRaise(const QString &program, const QStringList &arguments)
{
    const TCommandResult result = CommandRunner().Run(program, arguments);
    if (result.Succeeded())
        return result;
    QString why = QString::fromUtf8(result.Errors).trimmed();
    if (why.isEmpty())
        why = result.Started ? QStringLiteral("exit code %1").arg(result.ExitCode) : QStringLiteral("not started");
    throw EZavelonError(QStringLiteral("Cannot set the wallpaper: \"%1\" failed: %2")
                            .arg(CommandText(program, arguments), why));
}

void RequireProgram(const QString &program, const QString &desktop)
{
    if (!CommandRunner().Exists(program))
        throw EZavelonError(QStringLiteral("Cannot set the wallpaper on %1: the program \"%2\" is not installed.")
                                .arg(desktop, program));
}

// A text in GVariant's quoted form, as gsettings reads it.
QString GVariantString(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// A text as a JavaScript string literal.
QString ScriptString(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString FileUri(const QString &file)
{
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

void ApplyGnome(const QString &file, TWallpaperStyle style)
{
    static const char *const options[] = {"centered", "wallpaper", "stretched", "zoom"};
    const QString gsettings = QStringLiteral("gsettings");
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    RequireProgram(gsettings, QStringLiteral("GNOME"));
    const QString uri = GVariantString(FileUri(file));
    RunOrRaise(gsettings, {QStringLiteral("set"), schema, QStringLiteral("picture-options"),
                           QString::fromLatin1(options[int(style)])});
    RunOrRaise(gsettings, {QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri});
    // The dark-style picture exists from GNOME 42 on; older ones lack the key.
    CommandRunner().Run(gsettings, {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri});
}

void ApplyKde(const QString &file, TWallpaperStyle style)
{
    // The image wallpaper's fill modes: pad (centred, unscaled), tile,
    // stretch, and scaled and cropped to cover the screen.
    static const int fillModes[] = {6, 3, 0, 2};
    const QString script =
        QStringLiteral("var all = desktops();"
                       "for (var i = 0; i < all.length; i++) {"
                       " var d = all[i];"
                       " d.wallpaperPlugin = \"org.kde.image\";"
                       " d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"
                       " d.writeConfig(\"Image\", %1);"
                       " d.writeConfig(\"FillMode\", %2);"
                       "}")
            .arg(ScriptString(FileUri(file)))
            .arg(fillModes[int(style)]);
    const QString dbusSend = QStringLiteral("dbus-send");
    if (CommandRunner().Exists(dbusSend)) {
        const TCommandResult result = CommandRunner().Run(
            dbusSend, {QStringLiteral("--session"), QStringLiteral("--dest=org.kde.plasmashell"),
                       QStringLiteral("--type=method_call"), QStringLiteral("--print-reply"),
                       QStringLiteral("/PlasmaShell"), QStringLiteral("org.kde.PlasmaShell.evaluateScript"),
                       QStringLiteral("string:") + script});
        if (result.Succeeded())
            return;
    }
    // Without the shell's script interface the picture is set, in the
    // desktop's own style.
    const QString apply = QStringLiteral("plasma-apply-wallpaperimage");
    RequireProgram(apply, QStringLiteral("KDE Plasma"));
    RunOrRaise(apply, {file});
}

void ApplyXfce(const QString &file, TWallpaperStyle style)
{
    // xfce4-desktop's image styles: centred, tiled, stretched, zoomed.
    static const int imageStyles[] = {1, 2, 3, 5};
    const QString query = QStringLiteral("xfconf-query");
    const QString channel = QStringLiteral("xfce4-desktop");
    RequireProgram(query, QStringLiteral("XFCE"));
    const TCommandResult listing = RunOrRaise(query, {QStringLiteral("-c"), channel, QStringLiteral("-l")});
    QStringList images;
    for (const QString &line : QString::fromUtf8(listing.Output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.trimmed().endsWith(QLatin1String("/last-image")))
            images.append(line.trimmed());
    }
    if (images.isEmpty()) {
        // A desktop whose background was never changed: one entry per screen.
        for (const QScreen *screen : QGuiApplication::screens())
            images.append(QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(screen->name()));
        if (images.isEmpty())
            images.append(QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"));
    }
    const QString styleText = QString::number(imageStyles[int(style)]);
    for (const QString &image : std::as_const(images)) {
        const QString styleProperty = image.left(image.size() - int(sizeof("last-image")) + 1) + QStringLiteral("image-style");
        RunOrRaise(query, {QStringLiteral("-c"), channel, QStringLiteral("-p"), styleProperty, QStringLiteral("-n"),
                           QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"), styleText});
        RunOrRaise(query, {QStringLiteral("-c"), channel, QStringLiteral("-p"), image, QStringLiteral("-n"),
                           QStringLiteral("-t"), QStringLiteral("string"), QStringLiteral("-s"), file});
    }
}

void ApplyFeh(const QString &file, TWallpaperStyle style, const QString &desktop)
{
    static const char *const options[] = {"--bg-center", "--bg-tile", "--bg-scale", "--bg-max"};
    const QString feh = QStringLiteral("feh");
    if (!CommandRunner().Exists(feh))
        throw EZavelonError(
            QStringLiteral("The picture was saved as %1, but this desktop (%2) cannot be told to show it: "
                           "GNOME, KDE Plasma and XFCE are supported, and elsewhere feh, which is not installed.")
                .arg(file, desktop.isEmpty() ? QStringLiteral("unnamed") : QStringLiteral("\"%1\"").arg(desktop)));
    RunOrRaise(feh, {QString::fromLatin1(options[int(style)]), file});
}

} // namespace

TCommandRunner &CommandRunner()
{
    std::lock_guard lock(g_runnerLock);
    if (!g_runner)
        g_runner = std::make_unique<TProcessRunner>();
    return *g_runner;
}

std::unique_ptr<TCommandRunner> SetCommandRunner(std::unique_ptr<TCommandRunner> runner)
{
    std::lock_guard lock(g_runnerLock);
    std::unique_ptr<TCommandRunner> previous = std::move(g_runner);
    g_runner = runner ? std::move(runner) : std::make_unique<TProcessRunner>();
    return previous;
}

TDesktopKind DesktopKindOf(const QString &currentDesktop)
{
    const QStringList names = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto named = [&names](const char *name) {
        return names.contains(QLatin1String(name), Qt::CaseInsensitive);
    };
    if (named("KDE"))
        return TDesktopKind::Kde;
    if (named("XFCE"))
        return TDesktopKind::Xfce;
    if (named("GNOME") || named("Unity"))
        return TDesktopKind::Gnome;
    return TDesktopKind::Other;
}

QString WallpaperFileName(const QString &picturePath)
{
    QString name = QFileInfo(picturePath).fileName();
    if (IsGifFile(picturePath)) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        name = name.left(dot) + QStringLiteral(".png");
    }
    return ProgramHome() + QStringLiteral("Wallpaper/") + name;
}

QString SaveWallpaperPicture(const QImage &picture, const QString &picturePath)
{
    if (ProgramHome().isEmpty())
        throw EZavelonError(QStringLiteral("Cannot save the wallpaper: the program has no home folder."));
    const QString target = WallpaperFileName(picturePath);
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        throw EZavelonError(QStringLiteral("Cannot create the folder %1").arg(folder));
    SavePicture(picture, target);
    return target;
}

void ApplyWallpaper(const QString &file, TWallpaperStyle style)
{
    if (!CommandRunner().HasDesktop())
        throw EZavelonError(QStringLiteral("The picture was saved as %1, but there is no desktop to show it on.").arg(file));
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    switch (DesktopKindOf(desktop)) {
    case TDesktopKind::Gnome:
        return ApplyGnome(file, style);
    case TDesktopKind::Kde:
        return ApplyKde(file, style);
    case TDesktopKind::Xfce:
        return ApplyXfce(file, style);
    case TDesktopKind::Other:
        break;
    }
    ApplyFeh(file, style, desktop);
}
