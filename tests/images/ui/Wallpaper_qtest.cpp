#include "PicturesTestSupport.h"

#include "engine/Errors.h"
#include "images/ImageLibrary.h"
#include "images/ui/DesktopWallpaper.h"
#include "images/ui/PicturesPanel.h"
#include "images/ui/WallpaperOptionsForm.h"
#include "imaging/ImageServices.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

namespace {

QStringList CommandLines()
{
    QStringList lines;
    for (const TRecordedCommand &command : std::as_const(Recorder().Commands))
        lines.append((QStringList{command.Program} + command.Arguments).join(QLatin1Char(' ')));
    return lines;
}

const char *const kStyleButtons[] = {"CenterButton", "TileButton", "StretchButton", "MaxButton"};

// A pictures panel over `folder` with its first row selected, as a user
// leaves it before pressing "Wall".
struct TSelectedPicture {
    explicit TSelectedPicture(const QString &folder)
        : actions(MakePictureActions(&window))
        , panel(&window)
    {
        panel.BindActions(actions);
        panel.ShowFolder(folder);
        auto *list = panel.findChild<QTreeView *>(QStringLiteral("ImagesListView"));
        list->setCurrentIndex(list->model()->index(0, 0));
    }
    QWidget window;
    TPicturesActions actions;
    TPicturesPanel panel;
};

} // namespace

class WallpaperTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Recorder().Reset();
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    void desktopsAreRecognisedByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("GNOME") << "GNOME" << int(TDesktopKind::Gnome);
        QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << int(TDesktopKind::Gnome);
        QTest::newRow("Unity") << "Unity" << int(TDesktopKind::Gnome);
        QTest::newRow("KDE") << "KDE" << int(TDesktopKind::Kde);
        QTest::newRow("XFCE, any case") << "xfce" << int(TDesktopKind::Xfce);
        QTest::newRow("something else") << "i3" << int(TDesktopKind::Other);
        QTest::newRow("nothing") << "" << int(TDesktopKind::Other);
        QTest::newRow("a part of a name is not the name") << "GNOMEISH" << int(TDesktopKind::Other);
    }
    void desktopsAreRecognisedByName()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QCOMPARE(int(DesktopKindOf(name)), kind);
    }

    void eachDesktopGetsTheStyle_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("style");
        QTest::addColumn<QStringList>("expected");
        const QString file = QStringLiteral("/h/Wallpaper/my pic.jpg");
        const QString uri = QStringLiteral("'file:///h/Wallpaper/my%20pic.jpg'");
        const char *gnome[] = {"centered", "wallpaper", "stretched", "zoom"};
        for (int style = 0; style < 4; ++style) {
            const QString set = QStringLiteral("gsettings set org.gnome.desktop.background ");
            QTest::addRow("GNOME %s", gnome[style])
                << QByteArray("ubuntu:GNOME") << "gsettings" << style
                << QStringList{set + "picture-options " + gnome[style], set + "picture-uri " + uri,
                               set + "picture-uri-dark " + uri};
        }
        const char *feh[] = {"--bg-center", "--bg-tile", "--bg-scale", "--bg-max"};
        for (int style = 0; style < 4; ++style)
            QTest::addRow("feh %s", feh[style]) << QByteArray("i3") << "feh" << style
                                                << QStringList{QStringLiteral("feh %1 ").arg(feh[style]) + file};
    }
    void eachDesktopGetsTheStyle()
    {
        QFETCH(QStringList, expected);
        QFETCH(QString, program);
        QFETCH(QByteArray, desktop);
        QFETCH(int, style);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        Recorder().Installed = {program};
        ApplyWallpaper(QStringLiteral("/h/Wallpaper/my pic.jpg"), TWallpaperStyle(style));
        QCOMPARE(CommandLines(), expected);
    }

    void kdeTakesAScriptThroughItsShell_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("fillMode");
        QTest::newRow("Center: pad") << int(TWallpaperStyle::Center) << 6;
        QTest::newRow("Tile") << int(TWallpaperStyle::Tile) << 3;
        QTest::newRow("Stretch") << int(TWallpaperStyle::Stretch) << 0;
        QTest::newRow("Max: cover") << int(TWallpaperStyle::Max) << 2;
    }
    void kdeTakesAScriptThroughItsShell()
    {
        QFETCH(int, fillMode);
        QFETCH(int, style);
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        Recorder().Installed = {QStringLiteral("dbus-send")};
        ApplyWallpaper(QStringLiteral("/h/Wallpaper/a\"b.png"), TWallpaperStyle(style));
        QCOMPARE(Recorder().Commands.size(), 1);
        const TRecordedCommand &call = Recorder().Commands.at(0);
        QCOMPARE(call.Program, QStringLiteral("dbus-send"));
        QVERIFY(call.Arguments.contains(QStringLiteral("--dest=org.kde.plasmashell")));
        QVERIFY(call.Arguments.contains(QStringLiteral("org.kde.PlasmaShell.evaluateScript")));
        const QString script = call.Arguments.last();
        QVERIFY(script.startsWith(QStringLiteral("string:")));
        QVERIFY(script.contains(QStringLiteral("d.writeConfig(\"Image\", \"file:///h/Wallpaper/a%22b.png\")")));
        QVERIFY(script.contains(QStringLiteral("d.writeConfig(\"FillMode\", %1)").arg(fillMode)));
    }

    void kdeWithoutItsShellScriptSetsThePictureOnly()
    {
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        Recorder().Installed = {QStringLiteral("dbus-send"), QStringLiteral("plasma-apply-wallpaperimage")};
        Recorder().Failing = {QStringLiteral("dbus-send")};
        ApplyWallpaper(QStringLiteral("/h/Wallpaper/a.png"), TWallpaperStyle::Tile);
        QCOMPARE(CommandLines().last(), QStringLiteral("plasma-apply-wallpaperimage /h/Wallpaper/a.png"));
    }

    void xfceSetsEveryMonitorAndWorkspace()
    {
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        Recorder().Installed = {QStringLiteral("xfconf-query")};
        Recorder().Outputs.insert(QStringLiteral("xfconf-query"),
                                  "/backdrop/screen0/monitorHDMI-1/workspace0/color-style\n"
                                  "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                                  "/backdrop/screen0/monitorVGA-1/workspace1/last-image\n"
                                  "/desktop-icons/style\n");
        ApplyWallpaper(QStringLiteral("/h/Wallpaper/a.png"), TWallpaperStyle::Max);
        const QString query = QStringLiteral("xfconf-query -c xfce4-desktop ");
        QCOMPARE(CommandLines(),
                 (QStringList{query + "-l",
                              query + "-p /backdrop/screen0/monitorHDMI-1/workspace0/image-style -n -t int -s 5",
                              query + "-p /backdrop/screen0/monitorHDMI-1/workspace0/last-image -n -t string -s /h/Wallpaper/a.png",
                              query + "-p /backdrop/screen0/monitorVGA-1/workspace1/image-style -n -t int -s 5",
                              query + "-p /backdrop/screen0/monitorVGA-1/workspace1/last-image -n -t string -s /h/Wallpaper/a.png"}));
    }

    void failuresAreToldClearly_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<bool>("desktopThere");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown desktop, no feh")
            << QByteArray("i3") << QStringList{} << QStringList{} << true
            << "The picture was saved as /h/a.png, but this desktop (\"i3\") cannot be told to show it: "
               "GNOME, KDE Plasma and XFCE are supported, and elsewhere feh, which is not installed.";
        QTest::newRow("GNOME without gsettings")
            << QByteArray("GNOME") << QStringList{} << QStringList{} << true
            << "Cannot set the wallpaper on GNOME: the program \"gsettings\" is not installed.";
        QTest::newRow("a command that fails")
            << QByteArray("GNOME") << QStringList{"gsettings"} << QStringList{"gsettings"} << true
            << "Cannot set the wallpaper: \"gsettings set org.gnome.desktop.background picture-options centered\" "
               "failed: recorded failure";
        QTest::newRow("no desktop at all") << QByteArray("GNOME") << QStringList{"gsettings"} << QStringList{} << false
                                           << "The picture was saved as /h/a.png, but there is no desktop to show it on.";
    }
    void failuresAreToldClearly()
    {
        QFETCH(QString, message);
        QFETCH(bool, desktopThere);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, installed);
        QFETCH(QByteArray, desktop);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        Recorder().Installed = QSet<QString>(installed.cbegin(), installed.cend());
        Recorder().Failing = QSet<QString>(failing.cbegin(), failing.cend());
        Recorder().HasDesktop = desktopThere;
        try {
            ApplyWallpaper(QStringLiteral("/h/a.png"), TWallpaperStyle::Center);
            QFAIL("no error raised");
        } catch (const EZavelonError &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void optionsOfferFourStyles()
    {
        TWallpaperOptionsForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Set wallpaper"));
        QCOMPARE(form.Style(), TWallpaperStyle::Center);
        for (int style = 0; style < 4; ++style) {
            form.findChild<QRadioButton *>(QLatin1String(kStyleButtons[style]))->click();
            QCOMPARE(form.Style(), TWallpaperStyle(style));
        }
        QVERIFY(form.findChild<QPushButton *>(QStringLiteral("OkButton"))->isDefault());
    }

    void theSelectedPictureBecomesTheWallpaper_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QSize>("size");
        QTest::newRow("a JPEG keeps name and format") << "photo.jpg" << "photo.jpg" << QSize(64, 48);
        // The first frame of a GIF, as a PNG of the same name.
        QTest::newRow("a GIF becomes a PNG") << "anim.gif" << "anim.png" << QSize(33, 22);
    }
    void theSelectedPictureBecomesTheWallpaper()
    {
        QFETCH(QString, saved);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        TTempHome home;
        TErrorLog errors;
        QTemporaryDir pictures;
        const QString path = pictures.filePath(name);
        if (name.endsWith(QLatin1String(".gif")))
            WriteGif(path, size.width(), size.height(), 3);
        else
            WritePicture(path, size.width(), size.height());
        Recorder().Installed = {QStringLiteral("gsettings")};

        TSelectedPicture selected(pictures.path());
        TPicturesActions &actions = selected.actions;
        {
            // Cancel: nothing saved, nothing set.
            TModalHandler cancel([](QWidget *form) { form->findChild<QPushButton *>("CancelButton")->click(); });
            actions.SetWallpaper->trigger();
            QVERIFY(cancel.Fired());
        }
        QVERIFY(!QDir(home.Path() + "Wallpaper").exists());
        QVERIFY(Recorder().Commands.isEmpty());

        TModalHandler max([](QWidget *form) {
            form->findChild<QRadioButton *>("MaxButton")->click();
            form->findChild<QPushButton *>("OkButton")->click();
        });
        actions.SetWallpaper->trigger();
        QVERIFY(max.Fired());
        QVERIFY(errors.Texts.isEmpty());
        const QString wallpaper = home.Path() + QStringLiteral("Wallpaper/") + saved;
        QCOMPARE(LoadFirstImage(wallpaper).size(), size);
        QVERIFY(CommandLines().contains(QStringLiteral("gsettings set org.gnome.desktop.background picture-uri '%1'")
                                            .arg(QUrl::fromLocalFile(wallpaper).toString(QUrl::FullyEncoded))));
        QVERIFY(CommandLines().contains(QStringLiteral("gsettings set org.gnome.desktop.background picture-options zoom")));
    }

    void aPictureThatCannotBeSavedIsReported()
    {
        TTempHome home;
        TErrorLog errors;
        QTemporaryDir pictures;
        WriteBytes(pictures.filePath(QStringLiteral("broken.jpg")), 30);
        Recorder().Installed = {QStringLiteral("gsettings")};
        TSelectedPicture selected(pictures.path());
        TPicturesActions &actions = selected.actions;
        TModalHandler ok([](QWidget *form) { form->findChild<QPushButton *>("OkButton")->click(); });
        actions.SetWallpaper->trigger();
        QCOMPARE(errors.Texts.size(), 1);
        QVERIFY(errors.Texts.at(0).contains(pictures.filePath(QStringLiteral("broken.jpg"))));
        QVERIFY(Recorder().Commands.isEmpty());
    }
};

QTEST_MAIN(WallpaperTest)
#include "Wallpaper_qtest.moc"
