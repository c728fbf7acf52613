// The browser entries: what "-REGSERVER" writes and "-UNREGSERVER" removes
// under the user's folders (run on the real program without a display), how
// the menu entry quotes odd paths, that rewriting leaves unchanged files
// alone, and that the extension asks for the host the manifests name.
#include "AppTestSupport.h"
#include "ProgramSandbox.h"

#include "app/HostManifests.h"
#include "engine/Errors.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace {

QJsonObject ReadJson(const QString &path)
{
    return QJsonDocument::fromJson(ReadAll(path)).object();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The key=value lines of a menu entry.
QMap<QString, QString> EntryKeys(const QByteArray &text)
{
    QMap<QString, QString> keys;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && !line.startsWith('#'))
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return keys;
}

// The identity of a file on disk: a rewrite makes a new one.
QString Identity(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(info.st_ino).arg(info.st_mtim.tv_nsec + info.st_mtim.tv_sec * 1000000000LL);
}

QString SourcePath(const QString &relative)
{
    return QStringLiteral(ZAVELON_SOURCE_DIR "/") + relative;
}

} // namespace

class TRegistrationTest : public QObject
{
    Q_OBJECT

private slots:
    void SwitchesWriteAndRemoveTheEntries_data()
    {
        QTest::addColumn<QString>("add");
        QTest::addColumn<QString>("remove");
        QTest::newRow("dash, capitals") << "-REGSERVER" << "-UNREGSERVER";
        QTest::newRow("slash, small letters") << "/regserver" << "/unregserver";
        QTest::newRow("mixed") << "-RegServer" << "/UnRegServer";
    }

    void SwitchesWriteAndRemoveTheEntries()
    {
        QFETCH(QString, add);
        QFETCH(QString, remove);
        TProgramSandbox sandbox;
        QVERIFY(sandbox.IsValid());
        const THostManifests entries(DesktopProgramPath(), sandbox.ProgramHome());
        const QStringList others = {
            sandbox.ConfigHome() + QStringLiteral("/chromium/NativeMessagingHosts/com.example.other.json"),
            sandbox.UserHome() + QStringLiteral("/.mozilla/native-messaging-hosts/com.example.other.json"),
            sandbox.DataHome() + QStringLiteral("/applications/other.desktop"),
        };
        for (const QString &other : others)
            QVERIFY(Write(other, "someone else's"));

        // No display at all: a window would end the program with an error.
        const TProgramSandbox::TRun written = sandbox.Run({add, QStringLiteral("--home"), sandbox.ProgramHome()});
        QCOMPARE(written.ExitCode, 0);
        QCOMPARE(written.Out, QByteArray());
        QCOMPARE(written.Err, QByteArray());
        QCOMPARE(entries.ManifestPaths(),
                 (QStringList{sandbox.ConfigHome() + QStringLiteral("/chromium/NativeMessagingHosts/org.zavelon.zavelon.json"),
                              sandbox.ConfigHome() + QStringLiteral("/google-chrome/NativeMessagingHosts/org.zavelon.zavelon.json"),
                              sandbox.UserHome() + QStringLiteral("/.mozilla/native-messaging-hosts/org.zavelon.zavelon.json")}));
        for (const QString &path : entries.ManifestPaths()) {
            const QJsonObject manifest = ReadJson(path);
            QCOMPARE(manifest.value(QStringLiteral("name")).toString(), QStringLiteral("org.zavelon.zavelon"));
            QCOMPARE(manifest.value(QStringLiteral("path")).toString(), entries.HostScriptPath());
            QCOMPARE(manifest.value(QStringLiteral("type")).toString(), QStringLiteral("stdio"));
        }
        QCOMPARE(ReadJson(entries.ManifestPaths()[0]).value(QStringLiteral("allowed_origins")).toArray(),
                 QJsonArray{QStringLiteral("chrome-extension://dmeeibcbphepcifclhlodmohokkgbfdi/")});
        QCOMPARE(ReadJson(entries.ManifestPaths()[2]).value(QStringLiteral("allowed_extensions")).toArray(),
                 QJsonArray{QStringLiteral("zavelon@zavelon.org")});
        QVERIFY(QFileInfo(entries.HostScriptPath()).isExecutable());
        QCOMPARE(EntryKeys(ReadAll(entries.DesktopEntryPath())).value(QStringLiteral("Icon")),
                 QStringLiteral("org.zavelon.Zavelon"));
        QCOMPARE(QFileInfo(entries.DesktopEntryPath()).fileName(), QStringLiteral("org.zavelon.Zavelon.desktop"));
        // The home's name has a blank: the entry must still be valid.
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess validate;
            validate.start(validator, {entries.DesktopEntryPath()});
            QVERIFY(validate.waitForFinished(20000));
            QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        }

        // The script is the host of this home: what the browser would start.
        QProcess host;
        host.setProcessEnvironment(sandbox.Environment());
        host.start(entries.HostScriptPath(), {QStringLiteral("chrome-extension://dmeeibcbphepcifclhlodmohokkgbfdi/")});
        QVERIFY(host.waitForStarted());
        const QByteArray message = "{\"url\":\"gopher://x/\"}";
        const std::uint32_t length = message.size();
        host.write(QByteArray(reinterpret_cast<const char *>(&length), 4) + message);
        host.closeWriteChannel();
        QVERIFY(host.waitForFinished(20000));
        QVERIFY2(host.readAllStandardOutput().contains("Not an http or https address: gopher://x/"), "no answer");

        const TProgramSandbox::TRun removed = sandbox.Run({remove});
        QCOMPARE(removed.ExitCode, 0);
        QCOMPARE(removed.Err, QByteArray());
        for (const QString &path : entries.ManifestPaths() + QStringList{entries.HostScriptPath(), entries.DesktopEntryPath()})
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        QVERIFY(!QFileInfo::exists(QFileInfo(entries.HostScriptPath()).absolutePath()));
        for (const QString &other : others)
            QCOMPARE(ReadAll(other), QByteArray("someone else's"));
        // Nothing left to remove is no failure.
        QCOMPARE(sandbox.Run({remove}).ExitCode, 0);
    }

    // A folder that cannot be made fails the switch, naming it.
    void SwitchSaysWhatCouldNotBeWritten()
    {
        TProgramSandbox sandbox;
        QVERIFY(sandbox.IsValid());
        QVERIFY(Write(sandbox.ConfigHome() + QStringLiteral("/chromium"), "a file where a folder belongs"));
        const TProgramSandbox::TRun run = sandbox.Run({QStringLiteral("-REGSERVER")});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QFile::encodeName(sandbox.ConfigHome() + QStringLiteral("/chromium/NativeMessagingHosts"))),
                 run.Err.constData());
    }

    // Paths with blanks, quotes, "%" and "$" reach the program intact: the
    // menu entry quotes them by its rules, the script by the shell's.
    void OddPathsAreQuoted()
    {
        TProgramSandbox sandbox;
        const THostManifests entries(QStringLiteral("/opt/my apps/zave\"lon$"), QStringLiteral("/data/100% 'mine'/"));
        const QMap<QString, QString> keys = EntryKeys(entries.DesktopEntry());
        QCOMPARE(keys.value(QStringLiteral("Exec")),
                 QStringLiteral("\"/opt/my apps/zave\\\\\"lon\\\\$\" --home \"/data/100%% 'mine'/\" %u"));
        QCOMPARE(keys.value(QStringLiteral("TryExec")), QStringLiteral("/opt/my apps/zave\"lon$"));
        QVERIFY(entries.HostScript().contains(
            "exec '/opt/my apps/zave\"lon$' --native-host --home '/data/100% '\\''mine'\\''/' \"$@\""));
        // A line break cannot be carried at all: nothing is written.
        QVERIFY_THROWS_EXCEPTION(EZavelonError, THostManifests(QStringLiteral("/bin/zavelon"), QStringLiteral("/a\nb/")).Write());
        QVERIFY(!QFileInfo::exists(entries.HostScriptPath()));
    }

    // The menu entry takes the installed one's place: same name and the
    // same keys, only the program's path and home differ.
    void DesktopEntryMatchesTheInstalledOne()
    {
        TProgramSandbox sandbox;
        const QMap<QString, QString> installed =
            EntryKeys(ReadAll(SourcePath(QStringLiteral("resources/linux/org.zavelon.Zavelon.desktop"))));
        QVERIFY(!installed.isEmpty());
        QMap<QString, QString> written =
            EntryKeys(THostManifests(QStringLiteral("/usr/bin/zavelon"), QStringLiteral("/h/")).DesktopEntry());
        QCOMPARE(written.value(QStringLiteral("Exec")), QStringLiteral("\"/usr/bin/zavelon\" --home \"/h/\" %u"));
        QCOMPARE(written.value(QStringLiteral("TryExec")), QStringLiteral("/usr/bin/zavelon"));
        for (const char *key : {"Exec", "TryExec"}) {
            written.remove(QLatin1String(key));
        }
        QMap<QString, QString> expected = installed;
        expected.remove(QStringLiteral("Exec"));
        expected.remove(QStringLiteral("TryExec"));
        QCOMPARE(written, expected);
    }

    // Every start writes the entries: unchanged files are not touched, and
    // a new home changes only what names it.
    void RewritingLeavesUnchangedFilesAlone()
    {
        TProgramSandbox sandbox;
        const THostManifests first(QStringLiteral("/usr/bin/zavelon"), sandbox.ProgramHome());
        first.Write();
        const QStringList files = first.ManifestPaths() + QStringList{first.HostScriptPath(), first.DesktopEntryPath()};
        QStringList before;
        for (const QString &path : files)
            before << Identity(path);
        QTest::qWait(20);
        first.Write();
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(Identity(files[i]), before[i]);
        THostManifests(QStringLiteral("/usr/bin/zavelon"), sandbox.UserHome() + QStringLiteral("/elsewhere/")).Write();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Identity(files[i]), before[i]);
        QVERIFY(Identity(files[3]) != before[3]);
        QVERIFY(ReadAll(files[3]).contains("/elsewhere/"));
        QVERIFY(ReadAll(files[4]).contains("/elsewhere/"));
        QStringList left = QDir(QFileInfo(files[3]).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, QStringList{QStringLiteral("zavelon-native-host")});
    }

    // The extension asks for the host the manifests name, and its IDs are
    // the ones the manifests let in (Chromium's follows from its key).
    void ExtensionMatchesTheManifests()
    {
        const QJsonObject manifest = ReadJson(SourcePath(QStringLiteral("resources/browser/manifest.json")));
        QCOMPARE(manifest.value(QStringLiteral("manifest_version")).toInt(), 3);
        const QByteArray key = QByteArray::fromBase64(manifest.value(QStringLiteral("key")).toString().toLatin1());
        QVERIFY(!key.isEmpty());
        QByteArray id = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
        for (char &c : id)
            c = char('a' + (c <= '9' ? c - '0' : c - 'a' + 10));
        QCOMPARE(QString::fromLatin1(id), QLatin1String(THostManifests::kChromiumExtensionId));
        QCOMPARE(manifest.value(QStringLiteral("browser_specific_settings")).toObject().value(QStringLiteral("gecko"))
                     .toObject().value(QStringLiteral("id")).toString(),
                 QLatin1String(THostManifests::kFirefoxExtensionId));
        const QJsonArray permissions = manifest.value(QStringLiteral("permissions")).toArray();
        QVERIFY(permissions.contains(QStringLiteral("nativeMessaging")));
        QVERIFY(permissions.contains(QStringLiteral("contextMenus")));
        const QString script = manifest.value(QStringLiteral("background")).toObject().value(QStringLiteral("service_worker")).toString();
        const QString code = QString::fromUtf8(ReadAll(SourcePath(QStringLiteral("resources/browser/") + script)));
        QVERIFY(code.contains(QStringLiteral("const HOST_NAME = \"%1\";").arg(QLatin1String(THostManifests::kHostName))));
        QVERIFY(code.contains(QStringLiteral("title: \"Download Images by Zavelon\"")));
        QVERIFY(code.contains(QStringLiteral("contexts: [\"link\", \"image\"]")));
        for (const QJsonValue icon : manifest.value(QStringLiteral("icons")).toObject())
            QVERIFY2(QFileInfo::exists(SourcePath(QStringLiteral("resources/browser/") + icon.toString())),
                     qPrintable(icon.toString()));
    }
};

QTEST_GUILESS_MAIN(TRegistrationTest)
#include "Registration_qtest.moc"
