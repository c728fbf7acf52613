#include "engine/OptionFields.h"
#include "settings/QtPrinters.h"
#include "settings/RegSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

namespace {

const QString kOptions = QStringLiteral("HKEY_CURRENT_USER\\Software\\TORVELLAN\\ZAV\\Options");

// Where the store keeps each option field, written out once more here so that
// a change of the table that would move a stored value fails.
struct TStoredField {
    const char *name;
    const char *key; // below kOptions; "" for the Options key itself
    quint32 type;    // of each value
};

const TStoredField kStored[] = {
    {"DefaultFolder", "", rdString},
    {"EnableFileLimit", "", rdInteger},
    {"FileMaxSize", "", rdInteger},
    {"FileMinSize", "", rdInteger},
    {"SeekDeep", "", rdInteger},
    {"AutoShutDown", "", rdInteger},
    {"UseProxyServer", "", rdInteger},
    {"ProxyServerAddr", "", rdString},
    {"ProxyServerPort", "", rdInteger},
    {"ProxyLoginUserName", "", rdString},
    {"ProxyLoginPassword", "", rdString},
    {"DefaultLogFolder", "", rdString},
    {"AutoSaveLog", "", rdInteger},
    {"ProjectPath", "", rdString},
    {"DefaultTaskAdded", "", rdInteger},
    {"FileMasks", "\\FileMasks", rdString},
    {"ExcludeFiles", "\\ExcludeFiles", rdString},
    {"SchemeType", "\\Scheme", rdInteger},
    {"SchemeCount", "\\Scheme", rdInteger},
    {"SchemeStartDate", "\\Scheme", rdBinary},
    {"SchemeStartTime", "\\Scheme", rdBinary},
};

quint64 BitsOf(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

QByteArray Dword(quint32 value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// The data of the one value a field of this type is stored as.
QByteArray DataOf(bool value)
{
    return Dword(value ? 1 : 0);
}
QByteArray DataOf(std::int32_t value)
{
    return Dword(quint32(value));
}
QByteArray DataOf(std::uint8_t value)
{
    return Dword(value);
}
QByteArray DataOf(double value)
{
    QByteArray bytes(8, 0);
    qToLittleEndian(BitsOf(value), bytes.data());
    return bytes;
}
QByteArray DataOf(const QString &value)
{
    return value.toUtf8();
}

class OptionFieldsStore : public ::testing::Test
{
protected:
    QString Home() const { return dir.path() + QLatin1Char('/'); }

    QList<TRegKey> StoredKeys() const
    {
        QFile file(Home() + QStringLiteral("registry.reg"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return TRegistryStore::ParseText(file.readAll());
    }

    // An existing folder with a name worth keeping: folder fields that do
    // not name one are set back to the working folders when read.
    QString Folder() const
    {
        const QString folder = Home() + QStringLiteral("Zürich \u6F22/");
        QDir().mkpath(folder);
        return folder;
    }

    void MakeDistinctive(const TOptionField &field, TRegOptions &options) const
    {
        field.Visit(options, [&](auto &value) {
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>)
                value = !value;
            else if constexpr (std::is_same_v<T, std::int32_t>)
                value = -123456789;
            else if constexpr (std::is_same_v<T, std::uint8_t>)
                value = 0xA5;
            else if constexpr (std::is_same_v<T, double>)
                value = 0.1 + 0.2;
            else if constexpr (std::is_same_v<T, QString>)
                value = QByteArray(field.Name).endsWith("Folder") || QByteArray(field.Name) == "ProjectPath"
                            ? Folder()
                            : QStringLiteral("p\"a\\s=s w\u00F6rd");
            else
                value = {QStringLiteral("png, Pics"), QString(), QStringLiteral("no comma")};
        });
    }

    QTemporaryDir dir;
};

} // namespace

// Field by field: Save writes the field as its own value (or key of values)
// with the stored name and type, and Load gives the same value back.
TEST_F(OptionFieldsStore, EveryStoredFieldIsWrittenUnderItsNameAndReadBack)
{
    std::size_t checked = 0;
    for (const TOptionField &field : OptionFields()) {
        SCOPED_TRACE(field.Name);
        const TStoredField *stored = nullptr;
        for (const TStoredField &s : kStored) {
            if (qstrcmp(s.name, field.Name) == 0)
                stored = &s;
        }
        ASSERT_EQ(stored != nullptr, field.InStore());
        if (!stored)
            continue;
        ++checked;

        TRegSettings settings(Home());
        settings.Load();
        MakeDistinctive(field, settings.Options);
        settings.Save();

        const QString keyPath = kOptions + QString::fromLatin1(stored->key);
        const QList<TRegKey> keys = StoredKeys();
        const auto key = std::find_if(keys.begin(), keys.end(), [&](const TRegKey &k) { return k.Path == keyPath; });
        ASSERT_NE(key, keys.end()) << keyPath.toStdString();
        field.Visit(settings.Options, [&](const auto &value) {
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, QStringList>) {
                ASSERT_EQ(key->Values.size(), value.size());
                for (qsizetype i = 0; i < value.size(); ++i) {
                    EXPECT_EQ(key->Values[i], (TRegValue{QString::number(i), stored->type, value[i].toUtf8()}));
                }
            } else {
                const auto found = std::find_if(key->Values.begin(), key->Values.end(), [&](const TRegValue &v) {
                    return v.Name == QLatin1String(field.Name);
                });
                ASSERT_NE(found, key->Values.end());
                EXPECT_EQ(found->Type, stored->type);
                EXPECT_EQ(found->Data, DataOf(value));
            }
        });

        TRegSettings loaded(Home());
        loaded.Load();
        EXPECT_TRUE(loaded.DamagedStoreCopy().isEmpty());
        std::visit(
            [&](auto member) {
                const auto &back = OptionFieldDetail::Resolve(loaded.Options, member);
                const auto &saved = OptionFieldDetail::Resolve(settings.Options, member);
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(back)>, double>)
                    EXPECT_EQ(BitsOf(back), BitsOf(saved));
                else
                    EXPECT_EQ(back, saved);
            },
            field.Member);
    }
    EXPECT_EQ(checked, std::size(kStored));
}

// The fields of a task's own (the site login) never reach the store.
TEST_F(OptionFieldsStore, TaskOnlyFieldsStayOutOfTheStore)
{
    TRegSettings settings(Home());
    settings.Load();
    settings.Options.NeedToLogin = true;
    settings.Options.LoginUserName = QStringLiteral("user");
    settings.Options.LoginPassword = QStringLiteral("secret");
    settings.Save();
    for (const TRegKey &key : StoredKeys()) {
        for (const TRegValue &value : key.Values) {
            EXPECT_FALSE(value.Name.startsWith(QLatin1String("Login"))) << value.Name.toStdString();
            EXPECT_NE(value.Name, QLatin1String("NeedToLogin"));
        }
    }
}
