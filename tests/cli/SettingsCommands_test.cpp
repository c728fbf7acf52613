#include "cli/CliRunner.h"
#include "engine/Task.h"
#include "engine/TestSite.h"
#include "settings/RegSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A home and a current folder of its own for every test.
class SettingsCli : public ::testing::Test
{
protected:
    QString Home() const { return home.path() + QLatin1Char('/'); }
    QString Project(const char *name = "task.wrp") const { return work.filePath(QString::fromUtf8(name)); }

    CliRun Run(const QStringList &args) const { return RunCli(home.path(), args, {}, work.path()); }

    // Runs "task new" and loads the project file it wrote.
    void NewTask(const QStringList &options, TTask &task) const
    {
        const CliRun run = Run(QStringList{QStringLiteral("task"), QStringLiteral("new"), Project()} + options);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        task.LoadFromFile(Project());
    }

    // Changes the default options in the home's settings store.
    void StoreDefaults(const std::function<void(TRegOptions &)> &change) const
    {
        TRegSettings settings(Home());
        settings.Load();
        change(settings.Options);
        settings.Save();
    }

    QTemporaryDir home;
    QTemporaryDir work;
};

// The keys of a JSON text in the order they are written.
QStringList KeysInOrder(const QByteArray &json)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("\"(\\w+)\":"));
    for (const QRegularExpressionMatch &match : key.globalMatch(QString::fromUtf8(json)))
        keys << match.captured(1);
    return keys;
}

} // namespace

TEST_F(SettingsCli, ShowFirstStartInContractOrder)
{
    const CliRun run = Run({QStringLiteral("settings"), QStringLiteral("show")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    ASSERT_TRUE(run.out.endsWith("}\n"));
    EXPECT_EQ(run.out.count('\n'), 1);
    EXPECT_EQ(KeysInOrder(run.out),
              QStringList({"Window", "Height", "Top", "Left", "Width", "State", "ShowMinPrompt", "ShowTip", "TipIndex",
                           "Menu", "ShowStatePanel", "ShowStandardToolBar", "ShowAllFiles", "FitImages", "ImageSort",
                           "Options", "DefaultFolder", "EnableFileLimit", "FileMaxSize", "FileMinSize", "SeekDeep",
                           "AutoShutDown", "UseProxyServer", "ProxyServerAddr", "ProxyServerPort",
                           "ProxyLoginUserName", "ProxyLoginPassword", "DefaultLogFolder", "AutoSaveLog",
                           "FileMasks", "ExcludeFiles", "Scheme", "SchemeType", "SchemeCount", "SchemeStartDate",
                           "SchemeStartTime", "NeedToLogin", "LoginUserName", "LoginPassword", "ProjectPath",
                           "DefaultTaskAdded"}));

    const QJsonObject all = QJsonDocument::fromJson(run.out).object();
    const QJsonObject window = all[QStringLiteral("Window")].toObject();
    EXPECT_EQ(window[QStringLiteral("Width")].toInt(), 600);
    EXPECT_EQ(window[QStringLiteral("Height")].toInt(), 400);
    EXPECT_TRUE(window[QStringLiteral("ShowTip")].toBool());
    EXPECT_FALSE(all[QStringLiteral("Menu")].toObject()[QStringLiteral("FitImages")].toBool());
    const QJsonObject options = all[QStringLiteral("Options")].toObject();
    EXPECT_EQ(options[QStringLiteral("DefaultFolder")].toString(), Home() + QStringLiteral("Images/Downloaded Files/"));
    EXPECT_EQ(options[QStringLiteral("ProjectPath")].toString(), Home() + QStringLiteral("Images/Projects/"));
    EXPECT_EQ(options[QStringLiteral("FileMasks")].toArray().size(), 9);
    EXPECT_EQ(options[QStringLiteral("Scheme")].toObject()[QStringLiteral("SchemeStartDate")].toDouble(-1), 0.0);
    EXPECT_FALSE(options[QStringLiteral("DefaultTaskAdded")].toBool());
    EXPECT_TRUE(QFileInfo(Home() + QStringLiteral("registry.reg")).isFile());
    EXPECT_TRUE(QFileInfo(Home() + QStringLiteral("Images/Logs")).isDir());
}

TEST_F(SettingsCli, ShowKeepsADamagedStoreAside)
{
    QFile store(Home() + QStringLiteral("registry.reg"));
    ASSERT_TRUE(store.open(QIODevice::WriteOnly));
    store.write("garbage");
    store.close();
    const CliRun run = Run({QStringLiteral("settings"), QStringLiteral("show")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("registry.reg.bad")) << run.err.toStdString();
    QFile kept(Home() + QStringLiteral("registry.reg.bad"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "garbage");
    EXPECT_TRUE(QJsonDocument::fromJson(run.out).isObject());
}

TEST_F(SettingsCli, NewTaskAsTheDialogMakesIt)
{
    TTask task;
    NewTask({QStringLiteral("--url"), QStringLiteral("www.example.com/pics")}, task);
    EXPECT_EQ(task.Name(), QStringLiteral("wwwexamplecompics"));
    EXPECT_EQ(task.URL().URI(), QStringLiteral("http://www.example.com/pics"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9A-F-]{36}\\}$")).match(task.ID()).hasMatch());
    EXPECT_TRUE(task.Note().isEmpty());
    const TRegOptions &o = task.Options();
    const QString folder = Home() + QStringLiteral("Images/Downloaded Files/wwwexamplecompics/");
    EXPECT_EQ(o.DefaultFolder, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(o.FileMasks, StandardFileMasks());
    EXPECT_TRUE(o.ExcludeFiles.isEmpty());
    EXPECT_EQ(std::tuple(o.EnableFileLimit, o.FileMaxSize, o.FileMinSize, o.SeekDeep),
              std::tuple(true, 10240, 10, 5));
    EXPECT_FALSE(o.NeedToLogin);
    EXPECT_EQ(o.Scheme.SchemeType, 0);
    // Fields the dialog does not fill keep the constructor's values.
    const TRegOptions fresh;
    EXPECT_EQ(o.DefaultLogFolder, fresh.DefaultLogFolder);
    EXPECT_EQ(o.AutoSaveLog, fresh.AutoSaveLog);
    EXPECT_EQ(o.UseProxyServer, fresh.UseProxyServer);

    // A name taken in the current folder gets "[0]"; an https URL stays as it is.
    QFile(work.filePath(QStringLiteral("httpsexampleorg"))).open(QIODevice::WriteOnly);
    TTask second;
    NewTask({QStringLiteral("--url"), QStringLiteral("https://example.org")}, second);
    EXPECT_EQ(second.Name(), QStringLiteral("httpsexampleorg[0]"));
    EXPECT_EQ(second.URL().URI(), QStringLiteral("https://example.org"));
}

TEST_F(SettingsCli, NewTaskStartsFromTheStoredDefaults)
{
    {
        TRegSettings settings(Home());
        settings.Load();
        settings.Options.SeekDeep = 9;
        settings.Options.EnableFileLimit = false;
        settings.Options.FileMasks = {QStringLiteral("jpg,Pics"), QStringLiteral("no comma")};
        settings.Options.ExcludeFiles = {QStringLiteral("spacer.gif")};
        settings.Options.Scheme.SchemeType = 2;
        settings.Options.Scheme.SchemeStartDate = 45000;
        settings.Options.UseProxyServer = true;
        settings.Save();
    }
    TTask task;
    NewTask({QStringLiteral("--url"), QStringLiteral("http://a.example/"), QStringLiteral("--exclude"),
             QStringLiteral("b.gif")},
            task);
    const TRegOptions &o = task.Options();
    EXPECT_EQ(o.SeekDeep, 9);
    EXPECT_FALSE(o.EnableFileLimit);
    // The masks pass through the dialog's rows.
    EXPECT_EQ(o.FileMasks, QStringList({"jpg, Pics", ", "}));
    EXPECT_EQ(o.ExcludeFiles, QStringList({"spacer.gif", "b.gif"}));
    EXPECT_EQ(o.Scheme.SchemeType, 2);
    EXPECT_EQ(o.Scheme.SchemeStartDate, 45000);
    EXPECT_TRUE(o.UseProxyServer); // the default proxy reaches the new task
}

TEST_F(SettingsCli, NewTaskTakesTheDefaultProxySettings)
{
    StoreDefaults([](TRegOptions &defaults) {
        defaults.UseProxyServer = true;
        defaults.ProxyServerAddr = QStringLiteral("proxy.example");
        defaults.ProxyServerPort = 3128;
        defaults.ProxyLoginUserName = QStringLiteral("me");
        defaults.ProxyLoginPassword = QStringLiteral("se:cret");
        // What only the defaults use stays out of a task.
        defaults.AutoShutDown = true;
        defaults.AutoSaveLog = false;
    });
    const CliRun made = Run({QStringLiteral("task"), QStringLiteral("new"), Project(), QStringLiteral("--url"),
                             QStringLiteral("a.example")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const CliRun shown = Run({QStringLiteral("task"), QStringLiteral("show"), Project()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject options = QJsonDocument::fromJson(shown.out).object()[QStringLiteral("Options")].toObject();
    EXPECT_TRUE(options[QStringLiteral("UseProxyServer")].toBool());
    EXPECT_EQ(options[QStringLiteral("ProxyServerAddr")].toString(), QStringLiteral("proxy.example"));
    EXPECT_EQ(options[QStringLiteral("ProxyServerPort")].toInt(), 3128);
    EXPECT_EQ(options[QStringLiteral("ProxyLoginUserName")].toString(), QStringLiteral("me"));
    EXPECT_EQ(options[QStringLiteral("ProxyLoginPassword")].toString(), QStringLiteral("se:cret"));
    EXPECT_FALSE(options[QStringLiteral("AutoShutDown")].toBool());
    EXPECT_TRUE(options[QStringLiteral("AutoSaveLog")].toBool());
    EXPECT_EQ(options[QStringLiteral("DefaultLogFolder")].toString(), TRegOptions().DefaultLogFolder);
}

TEST_F(SettingsCli, NewTaskRefusesListsLongerThanAProjectFileKeeps)
{
    StoreDefaults([](TRegOptions &defaults) {
        defaults.ExcludeFiles.clear();
        for (int i = 0; i < 255; ++i)
            defaults.ExcludeFiles << QStringLiteral("x%1.gif").arg(i);
    });
    const QStringList base = {QStringLiteral("task"), QStringLiteral("new"), Project(), QStringLiteral("--url"),
                              QStringLiteral("a.example"), QStringLiteral("--exclude"), QStringLiteral("last.gif")};
    // 256 entries fit.
    ASSERT_EQ(Run(base).exitCode, 0);
    TTask task;
    task.LoadFromFile(Project());
    EXPECT_EQ(task.Options().ExcludeFiles.size(), 256);
    EXPECT_EQ(task.Options().ExcludeFiles.last(), QStringLiteral("last.gif"));
    // 257 do not: refused, nothing written.
    QFile::remove(Project());
    const CliRun refused = Run(base + QStringList{QStringLiteral("--exclude"), QStringLiteral("more.gif")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("more than 256 entries")) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Project()));
}

TEST_F(SettingsCli, NewTaskTakesEveryOption)
{
    const QString folder = work.filePath(QStringLiteral("deep/save"));
    TTask task;
    NewTask({QStringLiteral("--url"), QStringLiteral("example.net"), QStringLiteral("--name"),
             QStringLiteral(" My task (2) = best "), QStringLiteral("--note"), QStringLiteral("a note"),
             QStringLiteral("--folder"), folder, QStringLiteral("--depth"), QStringLiteral("0"),
             QStringLiteral("--min"), QStringLiteral("1"), QStringLiteral("--max"), QStringLiteral("2"),
             QStringLiteral("--no-limit"), QStringLiteral("--mask"), QStringLiteral("png ,Pics"),
             QStringLiteral("--mask"), QStringLiteral("gif, Saved"), QStringLiteral("--login"),
             QStringLiteral("me:pa:ss")},
            task);
    EXPECT_EQ(task.Name(), QStringLiteral(" My task (2) = best "));
    EXPECT_EQ(task.Note(), QStringLiteral("a note"));
    EXPECT_EQ(task.URL().URI(), QStringLiteral("http://example.net"));
    const TRegOptions &o = task.Options();
    EXPECT_EQ(o.DefaultFolder, folder + QLatin1Char('/'));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(std::tuple(o.EnableFileLimit, o.FileMaxSize, o.FileMinSize, o.SeekDeep), std::tuple(false, 2, 1, 0));
    EXPECT_EQ(o.FileMasks, QStringList({"png, Pics", "gif, Saved"}));
    EXPECT_EQ(std::tuple(o.NeedToLogin, o.LoginUserName, o.LoginPassword),
              std::tuple(true, QStringLiteral("me"), QStringLiteral("pa:ss")));
}

TEST_F(SettingsCli, NewTaskRefusesWhatTheDialogRefuses)
{
    struct Case { const char *what; QStringList args; int exitCode; const char *message; };
    const Case cases[] = {
        {"name with a dot", {"--url", "a.example", "--name", "a.b"}, 1, "Sorry, the task name is invalid"},
        {"blank name", {"--url", "a.example", "--name", "   "}, 1, "Sorry, the task name is invalid"},
        {"empty name", {"--url", "a.example", "--name", ""}, 1, "Sorry, the task name is invalid"},
        {"derived name with &", {"--url", "a.example/?x=1&y=2"}, 1, "Sorry, the task name is invalid"},
        {"empty save folder", {"--url", "a.example", "--folder", ""}, 1, "Unable to create directory"},
        {"no URL", {}, 2, "--url"},
        {"depth beyond 30", {"--url", "a.example", "--depth", "31"}, 2, "--depth"},
        {"size not a number", {"--url", "a.example", "--max", "big"}, 2, "--max"},
        {"login without password", {"--url", "a.example", "--login", "me"}, 2, "--login"},
        // Nothing is cut or guessed without a word.
        {"mask without comma", {"--url", "a.example", "--mask", "jpg Saved"}, 2, "--mask needs the form"},
        {"mask without folder", {"--url", "a.example", "--mask", "jpg,"}, 2, "--mask needs the form"},
        {"note longer than its field", {"--url", "a.example", "--note", QString(1024, QLatin1Char('n'))}, 2, "--note"},
        {"note longer in bytes", {"--url", "a.example", "--note", QString(512, QChar(0xE4))}, 2, "--note"},
    };
    for (const Case &c : cases) {
        const CliRun run = Run(QStringList{QStringLiteral("task"), QStringLiteral("new"), Project()} + c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
        EXPECT_TRUE(run.err.contains(c.message)) << c.what << ": " << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Project())) << c.what;
    }
    const CliRun noFile = Run({QStringLiteral("task"), QStringLiteral("new"), QStringLiteral("--url"),
                               QStringLiteral("a.example")});
    EXPECT_EQ(noFile.exitCode, 2);
    EXPECT_EQ(Run({QStringLiteral("settings"), QStringLiteral("show"), QStringLiteral("x")}).exitCode, 2);
}

// The project file may hold the site's and the proxy's passwords.
TEST_F(SettingsCli, NewTaskFileIsForItsOwnerOnlyAndKeepsTheLongestNote)
{
    const QString note(1023, QLatin1Char('n'));
    TTask task;
    NewTask({QStringLiteral("--url"), QStringLiteral("a.example"), QStringLiteral("--login"), QStringLiteral("me:pw"),
             QStringLiteral("--note"), note},
            task);
    EXPECT_EQ(task.Note(), note);
    EXPECT_EQ(QFileInfo(Project()).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                                   QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
}

TEST_F(SettingsCli, NewTaskThenRunCrawlsALocalSite)
{
    // Pictures above the default lower limit of 10 KB, so the default size
    // limit lets them through.
    const QByteArray picture(20 * 1024, 'x');
    TTestSite site;
    site.Page(QStringLiteral("/index.html"), "<a href=\"more.html\">more</a><img src=\"one.jpg\">");
    site.Page(QStringLiteral("/more.html"), "<img src=\"two.gif\"><img src=\"skip.txt\">");
    site.File(QStringLiteral("/one.jpg"), picture);
    site.File(QStringLiteral("/two.gif"), picture);
    site.File(QStringLiteral("/skip.txt"), picture);

    const QString url = site.Url(QStringLiteral("/index.html"));
    TTask made;
    NewTask({QStringLiteral("--url"), url}, made);
    const CliRun run = Run({QStringLiteral("run"), Project(), QStringLiteral("--quiet")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QString saved = made.Options().DefaultFolder + QStringLiteral("Saved/");
    EXPECT_EQ(QDir(saved).entryList(QDir::Files, QDir::Name), QStringList({"one.jpg", "two.gif"}));
    TTask after;
    after.LoadFromFile(Project());
    EXPECT_EQ(after.ID(), made.ID());
    EXPECT_EQ(after.Items().Count(), 5);
}
