#include "engine/OptionFields.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

namespace {

// The stored layout as project files and the settings store hold it. This is
// the second statement of the table on purpose: a change to the table that
// would move a stored byte or rename a stored value fails here.
struct TExpectedField {
    const char *name;
    TOptionType type;
    qsizetype offset;
    TOptionPlace place;
    TOptionRole role;
};

constexpr auto B = TOptionPlace::Both;
constexpr auto BlockOnly = TOptionPlace::BlockOnly;
constexpr auto StoreOnly = TOptionPlace::StoreOnly;
constexpr auto Shared = TOptionRole::DefaultsAndTask;
constexpr auto Defaults = TOptionRole::DefaultsOnly;
constexpr auto Task = TOptionRole::TaskOnly;

const TExpectedField kLayout[] = {
    {"DefaultFolder", TOptionType::Text, 0, B, Shared},
    {"EnableFileLimit", TOptionType::Bool, 1024, B, Shared},
    {"FileMaxSize", TOptionType::Int32, 1028, B, Shared},
    {"FileMinSize", TOptionType::Int32, 1032, B, Shared},
    {"SeekDeep", TOptionType::Int32, 1040, B, Shared},
    {"AutoShutDown", TOptionType::Bool, 1045, B, Defaults},
    {"UseProxyServer", TOptionType::Bool, 1046, B, Shared},
    {"ProxyServerAddr", TOptionType::Text, 1047, B, Shared},
    {"ProxyServerPort", TOptionType::Int32, 2072, B, Shared},
    {"ProxyLoginUserName", TOptionType::Text, 2076, B, Shared},
    {"ProxyLoginPassword", TOptionType::Text, 3100, B, Shared},
    {"DefaultLogFolder", TOptionType::Text, 4124, B, Defaults},
    {"AutoSaveLog", TOptionType::Bool, 5148, B, Defaults},
    {"ProjectPath", TOptionType::Text, -1, StoreOnly, Defaults},
    {"DefaultTaskAdded", TOptionType::Bool, -1, StoreOnly, Defaults},
    {"FileMasks", TOptionType::TextList, 5149, B, Shared},
    {"ExcludeFiles", TOptionType::TextList, 267293, B, Shared},
    {"SchemeType", TOptionType::UInt8, 529437, B, Shared},
    {"SchemeCount", TOptionType::Int32, 529440, B, Shared},
    {"SchemeStartDate", TOptionType::Double, 529448, B, Shared},
    {"SchemeStartTime", TOptionType::Double, 529456, B, Shared},
    {"NeedToLogin", TOptionType::Bool, 529464, BlockOnly, Task},
    {"LoginUserName", TOptionType::Text, 529465, BlockOnly, Task},
    {"LoginPassword", TOptionType::Text, 530489, BlockOnly, Task},
};

quint64 BitsOf(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A value unlike the constructor's, the same for every field of a type, and
// the bytes the block must hold for it.
void MakeDistinctive(bool &value)
{
    value = !value;
}
void MakeDistinctive(std::int32_t &value)
{
    value = -123456789;
}
void MakeDistinctive(std::uint8_t &value)
{
    value = 0xA5;
}
void MakeDistinctive(double &value)
{
    value = 0.1 + 0.2; // not a short decimal: every bit must come back
}
void MakeDistinctive(QString &value)
{
    value = QStringLiteral("Zürich \u6F22 \"x\"");
}
void MakeDistinctive(QStringList &value)
{
    value = {QStringLiteral("gif, Saved"), QString(), QStringLiteral("(END)")};
}

QByteArray BytesOf(bool value)
{
    return QByteArray(1, value ? 1 : 0);
}
QByteArray BytesOf(std::int32_t value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}
QByteArray BytesOf(std::uint8_t value)
{
    return QByteArray(1, char(value));
}
QByteArray BytesOf(double value)
{
    QByteArray bytes(8, 0);
    qToLittleEndian(BitsOf(value), bytes.data());
    return bytes;
}
QByteArray BytesOf(const QString &value)
{
    return value.toUtf8() + '\0';
}
// The list's slotBytes as far as they are meaningful: each entry, then the marker.
QList<QByteArray> SlotsOf(const QStringList &value)
{
    QList<QByteArray> slotBytes;
    for (const QString &entry : value)
        slotBytes << BytesOf(entry);
    slotBytes << QByteArray("(end)", 6);
    return slotBytes;
}

template <class T>
bool SameValue(const T &a, const T &b)
{
    if constexpr (std::is_same_v<T, double>)
        return BitsOf(a) == BitsOf(b);
    else
        return a == b;
}

bool SameField(const TOptionField &field, const TRegOptions &a, const TRegOptions &b)
{
    return std::visit(
        [&](auto member) {
            return SameValue(OptionFieldDetail::Resolve(a, member), OptionFieldDetail::Resolve(b, member));
        },
        field.Member);
}

} // namespace

TEST(OptionFields, TableHoldsTheStoredLayout)
{
    ASSERT_EQ(std::size(kOptionFields), std::size(kLayout));
    for (std::size_t i = 0; i < std::size(kLayout); ++i) {
        const TExpectedField &e = kLayout[i];
        const TOptionField &f = kOptionFields[i];
        EXPECT_STREQ(f.Name, e.name);
        EXPECT_EQ(f.Type(), e.type) << e.name;
        EXPECT_EQ(f.BlockOffset, e.offset) << e.name;
        EXPECT_EQ(f.Place, e.place) << e.name;
        EXPECT_EQ(f.Role, e.role) << e.name;
        EXPECT_EQ(f.InScheme(), QByteArray(e.name).startsWith("Scheme")) << e.name;
        EXPECT_EQ(FindOptionField(e.name), &f) << e.name;
    }
    EXPECT_EQ(FindOptionField("Scheme"), nullptr);
    EXPECT_EQ(FindOptionField("defaultfolder"), nullptr);
}

// Field by field: the block changes only in the field's own bytes, holds the
// expected encoding there, and reads back into the same value. A field the
// block does not hold changes no byte and keeps the reader's value.
TEST(OptionFields, EveryFieldSitsAtItsOffsetAndComesBack)
{
    const TRegOptions fresh;
    const QByteArray freshBlock = fresh.ToBlock();
    for (const TOptionField &field : OptionFields()) {
        SCOPED_TRACE(field.Name);
        TRegOptions changed;
        field.Visit(changed, [](auto &value) { MakeDistinctive(value); });
        ASSERT_FALSE(SameField(field, changed, fresh));
        const QByteArray block = changed.ToBlock();
        ASSERT_EQ(block.size(), TRegOptions::kBlockSize);

        const qsizetype begin = field.InBlock() ? field.BlockOffset : 0;
        const qsizetype end = field.InBlock() ? begin + field.BlockSize() : 0;
        for (qsizetype i = 0; i < block.size(); ++i) {
            if (block[i] != freshBlock[i]) {
                ASSERT_TRUE(i >= begin && i < end) << "byte " << i << " changed";
            }
        }

        field.Visit(changed, [&](const auto &value) {
            using T = std::remove_cvref_t<decltype(value)>;
            if (!field.InBlock())
                return;
            if constexpr (std::is_same_v<T, QStringList>) {
                const QList<QByteArray> slotBytes = SlotsOf(value);
                for (qsizetype i = 0; i < slotBytes.size(); ++i)
                    EXPECT_EQ(block.mid(begin + i * TRegOptions::kSlotSize, slotBytes[i].size()), slotBytes[i]) << "slot " << i;
            } else {
                EXPECT_EQ(block.mid(begin, BytesOf(value).size()), BytesOf(value));
            }
        });

        TRegOptions reader;
        reader.ProjectPath = QStringLiteral("/reader/");
        reader.DefaultTaskAdded = true;
        reader.FromBlock(block);
        if (field.InBlock()) {
            EXPECT_TRUE(SameField(field, reader, changed));
        } else {
            EXPECT_EQ(reader.ProjectPath, QStringLiteral("/reader/"));
            EXPECT_TRUE(reader.DefaultTaskAdded);
        }
        EXPECT_EQ(reader.ToBlock(), block);
    }
}

TEST(OptionFields, CopyByRoleCopiesExactlyThatRole)
{
    const TRegOptions fresh;
    TRegOptions source;
    for (const TOptionField &field : OptionFields())
        field.Visit(source, [](auto &value) { MakeDistinctive(value); });
    for (const TOptionRole role : {TOptionRole::DefaultsAndTask, TOptionRole::DefaultsOnly, TOptionRole::TaskOnly}) {
        TRegOptions target;
        CopyOptionFields(source, target, role);
        for (const TOptionField &field : OptionFields())
            EXPECT_EQ(SameField(field, target, source), field.Role == role) << field.Name;
    }
}

TEST(OptionFields, AssignIsAPlainCopyOfEveryField)
{
    TRegOptions source;
    for (const TOptionField &field : OptionFields())
        field.Visit(source, [](auto &value) { MakeDistinctive(value); });
    TRegOptions target;
    target.Assign(source);
    for (const TOptionField &field : OptionFields())
        EXPECT_TRUE(SameField(field, target, source)) << field.Name;
    target.Assign(target); // itself: nothing changes
    for (const TOptionField &field : OptionFields())
        EXPECT_TRUE(SameField(field, target, source)) << field.Name;
}
