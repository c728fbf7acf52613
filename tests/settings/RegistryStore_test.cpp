#include "settings/Registry.h"
#include "settings/RegistryStore.h"

#include "engine/Errors.h"
#include "settings/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The message of the EZavelonError `action` throws, or "" when it throws none.
template <typename Action>
QString ErrorOf(Action action)
{
    try {
        action();
    } catch (const EZavelonError &error) {
        return error.message();
    }
    return {};
}

class StoreFile : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("registry.reg")); }
    QTemporaryDir dir;
};

} // namespace

TEST(RegistryText, FormatsEveryTypeAndParsesBack)
{
    const QList<TRegKey> keys = {
        {QStringLiteral("HKEY_CURRENT_USER\\Software"), {}},
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Window"),
         {{QStringLiteral("Left"), rdInteger, QByteArray("\x00\x00\x00\x00", 4)},
          {QStringLiteral("Top"), rdInteger, QByteArray("\xFF\xFF\xFF\xFF", 4)}}},
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options"),
         {{QStringLiteral("DefaultFolder"), rdString, QByteArray("C:\\a \"quoted\" folder\\")},
          {QStringLiteral("Empty"), rdString, QByteArray()},
          {QStringLiteral("Lines"), rdString, QByteArray("one\r\ntwo\ttab")},
          {QStringLiteral("Unicode \xC3\xA9"), rdString, QByteArray("\xE2\x82\xAC 5")},
          {QString(), rdString, QByteArray("default value")},
          {QStringLiteral("SchemeStartDate"), rdBinary, QByteArray("\x00\x00\x00\x00\x00\x40\xE6\x40", 8)},
          {QStringLiteral("NoBytes"), rdBinary, QByteArray()},
          {QStringLiteral("Multi"), 7, QByteArray("a\0b\0\0", 5)}}},
    };
    const QByteArray text = TRegistryStore::FormatText(keys);
    EXPECT_TRUE(text.startsWith("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n"));
    EXPECT_TRUE(text.contains("\n\"Left\"=dword:00000000\n"));
    EXPECT_TRUE(text.contains("\n\"Top\"=dword:ffffffff\n"));
    EXPECT_TRUE(text.contains("\n\"DefaultFolder\"=\"C:\\\\a \\\"quoted\\\" folder\\\\\"\n"));
    EXPECT_TRUE(text.contains("\n\"SchemeStartDate\"=hex:00,00,00,00,00,40,e6,40\n"));
    EXPECT_TRUE(text.contains("\n@=\"default value\"\n"));
    // A text with line breaks cannot be quoted; it goes as bytes.
    EXPECT_TRUE(text.contains("\n\"Lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,09,74,61,62,00\n"));
    EXPECT_TRUE(text.contains("\n\"Multi\"=hex(7):61,00,62,00,00\n"));
    EXPECT_EQ(TRegistryStore::ParseText(text), keys);
}

TEST(RegistryText, ReadsWhatOtherWritersProduce)
{
    // CR LF line ends, a byte-order mark, comments, blanks around "=", long
    // hex lists continued over lines, upper-case hex, a repeated key and value.
    const QByteArray text = "\xEF\xBB\xBFREGEDIT4\r\n\r\n; comment\r\n"
                            "[HKEY_CURRENT_USER\\A]\r\n"
                            "\"D\" = dword:0000002A\r\n"
                            "\"B\"=hex:01,02,\\\r\n"
                            "  03,FF\r\n"
                            "[HKEY_CURRENT_USER\\A]\r\n"
                            "\"d\"=dword:7\r\n"
                            "\"S\"=hex(1):41,42,00,43\r\n";
    const QList<TRegKey> keys = TRegistryStore::ParseText(text);
    ASSERT_EQ(keys.size(), 1);
    ASSERT_EQ(keys[0].Values.size(), 3);
    EXPECT_EQ(keys[0].Values[0], (TRegValue{QStringLiteral("d"), rdInteger, QByteArray("\x07\x00\x00\x00", 4)}));
    EXPECT_EQ(keys[0].Values[1], (TRegValue{QStringLiteral("B"), rdBinary, QByteArray("\x01\x02\x03\xFF", 4)}));
    EXPECT_EQ(keys[0].Values[2], (TRegValue{QStringLiteral("S"), rdString, QByteArray("AB")}));
}

TEST(RegistryText, RefusesDamagedText)
{
    const char *const damaged[] = {
        "",
        "[HKEY_CURRENT_USER\\A]\n",
        "REGEDIT5\n",
        "REGEDIT4\n\"A\"=dword:1\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A\n",
        "REGEDIT4\n[]\n",
        "REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n",
        "REGEDIT4\n[K]\n\"A\"=dword:123456789\n",
        "REGEDIT4\n[K]\n\"A\"=dword:12x4\n",
        "REGEDIT4\n[K]\n\"A\"=dword:\n",
        "REGEDIT4\n[K]\n\"A\"=\"unterminated\n",
        "REGEDIT4\n[K]\n\"A\"=\"bad \\escape\"\n",
        "REGEDIT4\n[K]\n\"A\"=\"text\" trailing\n",
        "REGEDIT4\n[K]\n\"A\"=hex:1,234\n",
        "REGEDIT4\n[K]\n\"A\"=hex:01,,02\n",
        "REGEDIT4\n[K]\n\"A\"=hex(zz):01\n",
        "REGEDIT4\n[K]\n\"A\"=qword:01\n",
        "REGEDIT4\n[K]\n\"A\"=-\n",
        "REGEDIT4\n[K]\n\"A\" dword:1\n",
        "REGEDIT4\n[K]\nA=dword:1\n",
        "REGEDIT4\n[K]\n\"A\"=hex:01,\\\n",
    };
    for (const char *text : damaged)
        EXPECT_THROW(TRegistryStore::ParseText(text), EZavelonError) << text;
    // A NUL byte inside a quoted text or name.
    EXPECT_THROW(TRegistryStore::ParseText(QByteArray("REGEDIT4\n[K]\n\"A\"=\"a\0b\"\n", 23)), EZavelonError);
    EXPECT_THROW(TRegistryStore::ParseText(QByteArray("REGEDIT4\n[K]\n\"A\0\"=\"ab\"\n", 23)), EZavelonError);
}

TEST(RegistryText, FailureNamesTheLine)
{
    EXPECT_EQ(ErrorOf([] { TRegistryStore::ParseText("REGEDIT4\n\n[K]\n\"A\"=dword:zz\n"); }),
              QStringLiteral("line 4: a dword value is not 1 to 8 hex digits"));
}

TEST(RegistryStoreKeys, TreeOrderCaseAndDeletion)
{
    TRegistryStore store(QStringLiteral("unused"));
    store.CreateKey(QStringLiteral("R\\A\\B"));
    store.CreateKey(QStringLiteral("R\\C"));
    store.CreateKey(QStringLiteral("\\r\\a\\\\x\\")); // parents exist under other spelling
    QStringList paths;
    for (const TRegKey &key : store.Keys())
        paths << key.Path;
    // A new key sits after its parent's last descendant.
    EXPECT_EQ(paths, QStringList({"R", "R\\A", "R\\A\\B", "R\\A\\x", "R\\C"}));

    store.SetValue(QStringLiteral("r\\a"), {QStringLiteral("Second"), rdString, "2"});
    store.SetValue(QStringLiteral("R\\A"), {QStringLiteral("First"), rdString, "1"});
    store.SetValue(QStringLiteral("R\\A"), {QStringLiteral("SECOND"), rdString, "2b"});
    EXPECT_EQ(store.ValueNames(QStringLiteral("R\\A")), QStringList({"SECOND", "First"}));
    ASSERT_NE(store.FindValue(QStringLiteral("R\\a"), QStringLiteral("second")), nullptr);
    EXPECT_EQ(store.FindValue(QStringLiteral("R\\a"), QStringLiteral("second"))->Data, "2b");
    EXPECT_THROW(store.SetValue(QStringLiteral("R\\Missing"), {}), EZavelonError);
    EXPECT_THROW(store.SetValue(QStringLiteral("R"), {QStringLiteral("bad\nname"), rdString, {}}), EZavelonError);
    EXPECT_THROW(store.CreateKey(QStringLiteral("R\\bad\nkey")), EZavelonError);

    EXPECT_TRUE(store.DeleteKey(QStringLiteral("r\\a")));
    EXPECT_FALSE(store.DeleteKey(QStringLiteral("R\\A")));
    paths.clear();
    for (const TRegKey &key : store.Keys())
        paths << key.Path;
    EXPECT_EQ(paths, QStringList({"R", "R\\C"}));
}

TEST_F(StoreFile, CommitWritesPrivateFileThatLoadsBack)
{
    TRegistryStore store(Path());
    store.Load();
    EXPECT_TRUE(store.Keys().isEmpty());
    EXPECT_TRUE(store.DamagedCopy().isEmpty());
    store.CreateKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\P"));
    store.SetValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\P"), {QStringLiteral("Password"), rdString, "secret"});
    store.Commit();

    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(Path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"registry.reg"})); // no temporary left

    TRegistryStore again(Path());
    again.Load();
    EXPECT_EQ(again.Keys(), store.Keys());
}

TEST_F(StoreFile, DamagedFileIsKeptAsideNeverOverwritten)
{
    const QByteArray damaged = "not a registry file\n";
    WriteAll(Path(), damaged);
    WriteAll(Path() + QStringLiteral(".bad"), "an older damaged file");

    TRegistryStore store(Path());
    store.Load();
    EXPECT_TRUE(store.Keys().isEmpty());
    EXPECT_EQ(store.DamagedCopy(), Path() + QStringLiteral(".bad.1"));
    EXPECT_EQ(store.DamageReason(), QStringLiteral("line 1: the file does not begin with REGEDIT4"));
    EXPECT_EQ(ReadAll(Path() + QStringLiteral(".bad.1")), damaged);
    EXPECT_EQ(ReadAll(Path() + QStringLiteral(".bad")), "an older damaged file");
    EXPECT_FALSE(QFileInfo::exists(Path()));

    store.CreateKey(QStringLiteral("K"));
    store.Commit();
    store.Load();
    EXPECT_TRUE(store.DamagedCopy().isEmpty());
    EXPECT_EQ(store.Keys().size(), 1);
}

TEST_F(StoreFile, UnreadableStoreIsKeptAside)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("registry.reg")));
    TRegistryStore store(Path());
    store.Load();
    EXPECT_EQ(store.DamagedCopy(), Path() + QStringLiteral(".bad"));
    EXPECT_TRUE(QFileInfo(Path() + QStringLiteral(".bad")).isDir());
}

TEST_F(StoreFile, TypedReadsFailWithTheValueName)
{
    WriteAll(Path(), "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n"
                     "\"Int\"=dword:fffffffe\n\"Text\"=\"abc\"\n\"Date\"=hex:00,00,00,00,00,40,e6,40\n"
                     "\"Short\"=hex:00,00,00,00\n\"Odd\"=hex(4):01,02\n\"Expand\"=hex(2):25,41,25,00\n");
    TRegistryStore store(Path());
    store.Load();
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\K"), false));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("int")), -2);
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("Int")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Text")), QStringLiteral("abc"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Missing")), QString());
    EXPECT_EQ(reg.ReadString(QStringLiteral("Expand")), QStringLiteral("%A%"));
    EXPECT_EQ(reg.ReadFloat(QStringLiteral("Date")), 45568.0);

    struct Case { const char *what; std::function<void()> read; const char *message; };
    const Case cases[] = {
        {"missing integer", [&] { reg.ReadInteger(QStringLiteral("Missing")); }, "Failed to get data for 'Missing'"},
        {"text as integer", [&] { reg.ReadInteger(QStringLiteral("Text")); }, "Invalid data type for 'Text'"},
        {"2-byte dword", [&] { reg.ReadInteger(QStringLiteral("Odd")); }, "Failed to get data for 'Odd'"},
        {"integer as text", [&] { reg.ReadString(QStringLiteral("Int")); }, "Invalid data type for 'Int'"},
        {"missing date", [&] { reg.ReadFloat(QStringLiteral("Missing")); }, "Failed to get data for 'Missing'"},
        {"4-byte date", [&] { reg.ReadFloat(QStringLiteral("Short")); }, "Failed to get data for 'Short'"},
        {"text as date", [&] { reg.ReadFloat(QStringLiteral("Text")); }, "Invalid data type for 'Text'"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ErrorOf(c.read), QString::fromUtf8(c.message)) << c.what;

    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Missing"), false));
    reg.CloseKey();
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(QStringLiteral("Int")); }), QStringLiteral("Failed to get data for 'Int'"));
}

TEST_F(StoreFile, WritesReachTheFileInEnumerationOrder)
{
    TRegistryStore store(Path());
    store.Load();
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Z"), true));
    EXPECT_FALSE(QFileInfo::exists(Path())); // a created key alone writes nothing
    reg.WriteInteger(QStringLiteral("B"), -1);
    reg.WriteString(QStringLiteral("A"), QStringLiteral("x\\y"));
    reg.WriteFloat(QStringLiteral("D"), -0.5);
    reg.WriteBool(QStringLiteral("B"), true); // rewriting keeps the place
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Sub"), true)); // relative to the open key
    reg.WriteString(QStringLiteral("S"), QString());
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("HKEY_CURRENT_USER\\Software\\Z\\Sub"));
    EXPECT_EQ(ReadAll(Path()), "REGEDIT4\n\n"
                               "[HKEY_CURRENT_USER]\n\n"
                               "[HKEY_CURRENT_USER\\Software]\n\n"
                               "[HKEY_CURRENT_USER\\Software\\Z]\n"
                               "\"B\"=dword:00000001\n"
                               "\"A\"=\"x\\\\y\"\n"
                               "\"D\"=hex:00,00,00,00,00,00,e0,bf\n\n"
                               "[HKEY_CURRENT_USER\\Software\\Z\\Sub]\n"
                               "\"S\"=\"\"\n");
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Z"), false));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"B", "A", "D"}));

    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\Software\\Z")));
    EXPECT_TRUE(reg.CurrentPath().isEmpty()); // the open key went with it
    EXPECT_FALSE(ReadAll(Path()).contains("Z"));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\Software\\Z")));
}

TEST_F(StoreFile, RefusedWriteNamesTheValueAndKeepsEarlierWrites)
{
    TRegistryStore store(Path());
    store.Load();
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\K"), true));
    reg.WriteInteger(QStringLiteral("Kept"), 1);
    const QByteArray before = ReadAll(Path());

    // A folder in the way of the file makes every write fail, root or not.
    ASSERT_TRUE(QFile::remove(Path()));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("registry.reg/full")));
    const QString error = ErrorOf([&] { reg.WriteInteger(QStringLiteral("Refused"), 2); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Failed to set data for 'Refused' ("))) << error.toStdString();
    EXPECT_TRUE(error.contains(Path())) << error.toStdString();
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("Refused"))); // memory agrees with the file
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("Kept")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\K")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\K")));

    EXPECT_TRUE(ErrorOf([&] { reg.WriteString(QStringLiteral("bad\nname"), {}); })
                    .startsWith(QStringLiteral("Failed to set data for 'bad\nname'")));
    reg.CloseKey();
    EXPECT_TRUE(ErrorOf([&] { reg.WriteInteger(QStringLiteral("NoKey"), 1); })
                    .startsWith(QStringLiteral("Failed to set data for 'NoKey'")));
    ASSERT_TRUE(QDir(Path()).removeRecursively());
    EXPECT_TRUE(before.contains("\"Kept\"=dword:00000001"));
}
