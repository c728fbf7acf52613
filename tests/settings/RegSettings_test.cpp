#include "settings/RegSettings.h"

#include "engine/Errors.h"
#include "settings/QtPrinters.h"
#include "settings/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kZav = QStringLiteral("HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\");

class Settings : public ::testing::Test
{
protected:
    QString Home() const { return dir.path() + QLatin1Char('/'); }
    QString StoreFile() const { return Home() + QStringLiteral("registry.reg"); }

    QByteArray StoreText() const
    {
        QFile file(StoreFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Changes the store file through its parsed keys.
    void EditStore(const std::function<void(QList<TRegKey> &)> &edit) const
    {
        QList<TRegKey> keys = TRegistryStore::ParseText(StoreText());
        edit(keys);
        QFile file(StoreFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(TRegistryStore::FormatText(keys));
    }

    // Replaces (or, with an empty name in `value`, removes) one value.
    void SetStoreValue(const QString &key, const QString &name, const TRegValue &value) const
    {
        EditStore([&](QList<TRegKey> &keys) {
            for (TRegKey &k : keys) {
                if (k.Path != kZav + key)
                    continue;
                for (qsizetype i = 0; i < k.Values.size(); ++i) {
                    if (k.Values[i].Name == name) {
                        if (value.Name.isEmpty())
                            k.Values.remove(i);
                        else
                            k.Values[i] = value;
                        return;
                    }
                }
            }
            FAIL() << "no value " << name.toStdString();
        });
    }

    QStringList StoredNames(const QString &key) const
    {
        QStringList names;
        for (const TRegKey &k : TRegistryStore::ParseText(StoreText())) {
            if (k.Path == kZav + key) {
                for (const TRegValue &value : k.Values)
                    names << value.Name;
            }
        }
        return names;
    }

    // A store written by a normal exit with these masks and this schedule.
    void WriteStore(const QStringList &masks, const TRegScheme &scheme)
    {
        TRegSettings settings(Home());
        settings.Load();
        settings.Window.Left = 10;
        settings.Options.SeekDeep = 9;
        settings.Options.FileMasks = masks;
        settings.Options.Scheme.Assign(scheme);
        settings.Save();
    }

    QTemporaryDir dir;
};

TRegScheme DailyScheme()
{
    TRegScheme scheme;
    scheme.SchemeType = TRegScheme::stDaily;
    scheme.SchemeCount = 3;
    scheme.SchemeStartDate = 45000;
    scheme.SchemeStartTime = 0.5;
    return scheme;
}

} // namespace

TEST_F(Settings, FirstStartWritesTheWholeLayout)
{
    TRegSettings settings(dir.path()); // without the trailing "/"
    settings.Load();

    const QByteArray p = Home().toUtf8();
    const QByteArray expected =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER]\n\n"
        "[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN]\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV]\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Window]\n"
        "\"Left\"=dword:00000000\n\"Top\"=dword:00000000\n\"Width\"=dword:00000258\n"
        "\"Height\"=dword:00000190\n\"State\"=dword:00000000\n\"ShowMinPrompt\"=dword:00000001\n"
        "\"TipIndex\"=dword:00000000\n\"ShowTip\"=dword:00000001\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Menu]\n"
        "\"ShowStandardToolBar\"=dword:00000001\n\"ShowStatePanel\"=dword:00000001\n"
        "\"ShowAllFiles\"=dword:00000001\n\"FitImages\"=dword:00000000\n\"ImageSort\"=dword:00000000\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options]\n"
        "\"DefaultFolder\"=\"" + p + "Images/Downloaded Files/\"\n"
        "\"EnableFileLimit\"=dword:00000001\n\"FileMaxSize\"=dword:00002800\n\"FileMinSize\"=dword:0000000a\n"
        "\"SeekDeep\"=dword:00000005\n\"AutoShutDown\"=dword:00000000\n\"UseProxyServer\"=dword:00000000\n"
        "\"ProxyServerAddr\"=\"192.168.0.1\"\n\"ProxyServerPort\"=dword:00000050\n"
        "\"ProxyLoginUserName\"=\"guest\"\n\"ProxyLoginPassword\"=\"\"\n"
        "\"DefaultLogFolder\"=\"" + p + "Images/Logs/\"\n\"AutoSaveLog\"=dword:00000001\n"
        "\"ProjectPath\"=\"" + p + "Images/Projects/\"\n\"DefaultTaskAdded\"=dword:00000000\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options\\FileMasks]\n"
        "\"0\"=\"gif, Saved\"\n\"1\"=\"jpg, Saved\"\n\"2\"=\"jpeg, Saved\"\n\"3\"=\"pcx, Saved\"\n"
        "\"4\"=\"tiff, Saved\"\n\"5\"=\"tif, Saved\"\n\"6\"=\"bmp, Saved\"\n\"7\"=\"png, Saved\"\n"
        "\"8\"=\"wmf, Saved\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options\\ExcludeFiles]\n\n"
        "[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options\\Scheme]\n"
        "\"SchemeType\"=dword:00000000\n\"SchemeCount\"=dword:00000000\n"
        "\"SchemeStartDate\"=hex:00,00,00,00,00,00,00,00\n\"SchemeStartTime\"=hex:00,00,00,00,00,00,00,00\n";
    EXPECT_EQ(StoreText(), expected);

    EXPECT_EQ(settings.Options.FileMasks, StandardFileMasks());
    EXPECT_EQ(settings.Options.DefaultFolder, Home() + QStringLiteral("Images/Downloaded Files/"));
    EXPECT_EQ(settings.Options.DefaultLogFolder, Home() + QStringLiteral("Images/Logs/"));
    EXPECT_EQ(settings.Options.ProjectPath, Home() + QStringLiteral("Images/Projects/"));
    for (const QString &folder : {settings.Options.DefaultFolder, settings.Options.DefaultLogFolder,
                                  settings.Options.ProjectPath})
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    EXPECT_TRUE(settings.DamagedStoreCopy().isEmpty());

    // The second start reads it all and writes nothing.
    const QDateTime written = QFileInfo(StoreFile()).lastModified();
    TRegSettings again(Home());
    again.Load();
    EXPECT_EQ(again.Options.FileMasks, StandardFileMasks());
    EXPECT_EQ(StoreText(), expected);
    EXPECT_EQ(QFileInfo(StoreFile()).lastModified(), written);
}

TEST_F(Settings, EveryFieldSurvivesSaveAndLoad)
{
    TRegSettings settings(Home());
    settings.Load();
    settings.Window.Height = 700;
    settings.Window.Top = -20;
    settings.Window.Left = 30;
    settings.Window.Width = 1024;
    settings.Window.State = TRegWindow::wsMaximized;
    settings.Window.ShowMinPrompt = false;
    settings.Window.ShowTip = false;
    settings.Window.TipIndex = 17;
    settings.Menu.ShowStatePanel = false;
    settings.Menu.ShowStandardToolBar = false;
    settings.Menu.ShowAllFiles = false;
    settings.Menu.FitImages = true;
    settings.Menu.ImageSort = TRegMenu::isBySize;
    TRegOptions &o = settings.Options;
    o.UseProxyServer = true;
    o.AutoSaveLog = false;
    o.AutoShutDown = true;
    o.FileMinSize = -1;
    o.FileMaxSize = 99;
    o.SeekDeep = 30;
    o.ProxyServerPort = 8080;
    o.ProxyLoginUserName = QStringLiteral("Jürgen");
    o.ProxyLoginPassword = QStringLiteral("p\"a\\s=s\nword");
    o.ProxyServerAddr = QStringLiteral("proxy.local");
    o.FileMasks = {QStringLiteral("png, Pics"), QStringLiteral("no comma"), QString()};
    o.ExcludeFiles = {QStringLiteral("spacer.gif"), QStringLiteral("spacer.gif")};
    o.Scheme.SchemeType = 7; // no such type: kept as it is
    o.Scheme.SchemeCount = -4;
    o.Scheme.SchemeStartDate = 45123.0;
    o.Scheme.SchemeStartTime = 0.1 + 0.2; // not a short decimal: every bit must survive
    o.EnableFileLimit = false;
    o.NeedToLogin = true; // task-only fields are not part of the store
    o.DefaultTaskAdded = true;
    settings.Save();

    TRegSettings loaded(Home());
    loaded.Load();
    const TRegWindow &w = loaded.Window;
    EXPECT_EQ(std::tuple(w.Height, w.Top, w.Left, w.Width, w.State, w.ShowMinPrompt, w.ShowTip, w.TipIndex),
              std::tuple(700, -20, 30, 1024, std::uint8_t(2), false, false, 17));
    const TRegMenu &m = loaded.Menu;
    EXPECT_EQ(std::tuple(m.ShowStatePanel, m.ShowStandardToolBar, m.ShowAllFiles, m.FitImages, m.ImageSort),
              std::tuple(false, false, false, true, std::uint8_t(2)));
    o.NeedToLogin = false;
    EXPECT_EQ(loaded.Options.ToBlock(), o.ToBlock());
    EXPECT_EQ(loaded.Options.ProjectPath, o.ProjectPath);
    EXPECT_TRUE(loaded.Options.DefaultTaskAdded);
    EXPECT_EQ(loaded.Options.Scheme.SchemeType, 7);
}

TEST_F(Settings, FailedReadKeepsWhatWasReadAndAppendsTheStandardMasks)
{
    // A missing start time and two kinds of damaged start date all end the
    // load at the schedule: the masks read before stay in front, and the
    // whole set, duplicates included, is written back.
    struct Case { const char *what; QString name; TRegValue value; };
    const Case cases[] = {
        {"missing SchemeStartTime", QStringLiteral("SchemeStartTime"), {}},
        {"4-byte SchemeStartDate", QStringLiteral("SchemeStartDate"),
         {QStringLiteral("SchemeStartDate"), rdBinary, QByteArray(4, '\0')}},
        {"text SchemeStartDate", QStringLiteral("SchemeStartDate"),
         {QStringLiteral("SchemeStartDate"), rdString, "45000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(StoreFile());
        const QString ownFolder = Home() + QStringLiteral("own/");
        ASSERT_TRUE(QDir().mkpath(ownFolder));
        WriteStore({QStringLiteral("png, Pics"), QStringLiteral("gif, Saved")}, DailyScheme());
        SetStoreValue(QStringLiteral("Options"), QStringLiteral("DefaultFolder"),
                      {QStringLiteral("DefaultFolder"), rdString, ownFolder.toUtf8()});
        SetStoreValue(QStringLiteral("Options\\Scheme"), c.name, c.value);

        TRegSettings settings(Home());
        settings.Load();
        EXPECT_EQ(settings.Window.Left, 10);
        EXPECT_EQ(settings.Options.SeekDeep, 9);
        EXPECT_EQ(settings.Options.Scheme.SchemeType, TRegScheme::stDaily);
        EXPECT_EQ(settings.Options.Scheme.SchemeCount, 3);
        // The reset also moves the folders, even one that exists.
        EXPECT_EQ(settings.Options.DefaultFolder, settings.DownloadFolder());
        const QStringList expected = QStringList({"png, Pics", "gif, Saved"}) + StandardFileMasks();
        EXPECT_EQ(settings.Options.FileMasks, expected);

        TRegSettings reread(Home());
        reread.Load();
        EXPECT_EQ(reread.Options.FileMasks, expected);
        EXPECT_EQ(StoredNames(QStringLiteral("Options\\FileMasks")).size(), 11);
        EXPECT_EQ(StoredNames(QStringLiteral("Options\\Scheme")),
                  QStringList({"SchemeType", "SchemeCount", "SchemeStartDate", "SchemeStartTime"}));
    }
}

TEST_F(Settings, OneMissingFolderResetsAllThree)
{
    const QString downloads = Home() + QStringLiteral("d/");
    const QString logs = Home() + QStringLiteral("l/");
    const QString projects = Home() + QStringLiteral("p/");
    for (const QString &folder : {downloads, logs, projects})
        ASSERT_TRUE(QDir().mkpath(folder));
    TRegSettings settings(Home());
    settings.Load();
    settings.Options.DefaultFolder = downloads;
    settings.Options.DefaultLogFolder = logs;
    settings.Options.ProjectPath = projects;
    settings.Options.FileMasks = {QStringLiteral("png, Saved")};
    settings.Save();
    ASSERT_TRUE(QDir(Home() + QStringLiteral("Images")).removeRecursively());

    TRegSettings all(Home());
    all.Load();
    EXPECT_EQ(all.Options.DefaultFolder, downloads);
    EXPECT_EQ(all.Options.ProjectPath, projects);

    ASSERT_TRUE(QDir(logs).removeRecursively());
    TRegSettings one(Home());
    one.Load();
    EXPECT_EQ(one.Options.DefaultFolder, Home() + QStringLiteral("Images/Downloaded Files/"));
    EXPECT_EQ(one.Options.DefaultLogFolder, Home() + QStringLiteral("Images/Logs/"));
    EXPECT_EQ(one.Options.ProjectPath, Home() + QStringLiteral("Images/Projects/"));
    EXPECT_TRUE(QFileInfo(one.Options.DefaultLogFolder).isDir());
    EXPECT_TRUE(QFileInfo(one.Options.ProjectPath).isDir());
    // Not a failed load: the masks stay as stored.
    EXPECT_EQ(one.Options.FileMasks, QStringList({"png, Saved"}));
}

TEST_F(Settings, ListValuesAreReadByEnumerationAndRewrittenByIndex)
{
    TRegSettings first(Home());
    first.Load();
    EditStore([](QList<TRegKey> &keys) {
        for (TRegKey &key : keys) {
            if (key.Path == kZav + QStringLiteral("Options\\FileMasks"))
                key.Values = {{QStringLiteral("7"), rdString, "png, A"},
                              {QStringLiteral("2"), rdString, "gif, B"},
                              {QStringLiteral("name"), rdString, "jpg, C"}};
            if (key.Path == kZav + QStringLiteral("Options\\ExcludeFiles"))
                key.Values = {{QStringLiteral("10"), rdString, "b.gif"}, {QStringLiteral("-1"), rdString, "a.gif"}};
        }
    });

    TRegSettings settings(Home());
    settings.Load();
    EXPECT_EQ(settings.Options.FileMasks, QStringList({"png, A", "gif, B", "jpg, C"}));
    EXPECT_EQ(settings.Options.ExcludeFiles, QStringList({"b.gif", "a.gif"}));
    settings.Save();
    EXPECT_EQ(StoredNames(QStringLiteral("Options\\FileMasks")), QStringList({"0", "1", "2"}));
    EXPECT_EQ(StoredNames(QStringLiteral("Options\\ExcludeFiles")), QStringList({"0", "1"}));
    TRegSettings reread(Home());
    reread.Load();
    EXPECT_EQ(reread.Options.FileMasks, QStringList({"png, A", "gif, B", "jpg, C"}));
}

TEST_F(Settings, DamagedStoreIsKeptAsideAndStartsAfresh)
{
    const QByteArray damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Window]\n\"Left\"=dword:\n";
    {
        QFile file(StoreFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    TRegSettings settings(Home());
    settings.Load();
    EXPECT_EQ(settings.DamagedStoreCopy(), StoreFile() + QStringLiteral(".bad"));
    EXPECT_FALSE(settings.StoreDamage().isEmpty());
    QFile kept(StoreFile() + QStringLiteral(".bad"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged);
    // As on a first start.
    EXPECT_EQ(settings.Options.FileMasks, StandardFileMasks());
    EXPECT_EQ(StoredNames(QStringLiteral("Window")).size(), 8);
}

TEST_F(Settings, RefusedSaveEscapesFromLoad)
{
    // A home that does not exist cannot take the store file.
    TRegSettings settings(Home() + QStringLiteral("missing/home"));
    try {
        settings.Load();
        FAIL() << "the save after the failed load was not refused";
    } catch (const EZavelonError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Failed to set data for 'Left' ("))) << error.what();
    }
    // The reset happened before the save.
    EXPECT_EQ(settings.Options.FileMasks, StandardFileMasks());
}

TEST(RegSettingsData, WindowAndMenuAssignOnlyTheirOwnClass)
{
    TRegWindow window;
    window.TipIndex = 4;
    TRegWindow copy;
    copy.Assign(window);
    EXPECT_EQ(copy.TipIndex, 4);
    TRegMenu menu;
    menu.ImageSort = 1;
    TRegMenu menuCopy;
    menuCopy.Assign(menu);
    EXPECT_EQ(menuCopy.ImageSort, 1);
    try {
        menuCopy.Assign(window);
        FAIL();
    } catch (const EZavelonError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot assign a TRegWindow to a TRegMenu"));
    }
}
