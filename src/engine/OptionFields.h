#pragma once

#include "engine/RegOptions.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <variant>

// The one list of TRegOptions' fields. The options block of a project file,
// the settings store and the JSON of the command line all walk it, so a field
// is named, typed and placed here once:
//
//     for (const TOptionField &field : OptionFields())
//         if (field.InBlock())
//             field.Visit(options, [&](const auto &value) { Put(block + field.BlockOffset, value); });
//
// Visit hands the field's value as a reference of its own type: bool,
// std::int32_t, std::uint8_t (SchemeType), double (the two date-times),
// QString or QStringList.

// Where a field is kept.
enum class TOptionPlace : std::uint8_t {
    Both,      // the options block and the settings store
    BlockOnly, // a task's own field: only project files hold it
    StoreOnly, // a field of the defaults the block has no room for
};

// Which options object uses a field; every object holds all of them.
enum class TOptionRole : std::uint8_t {
    DefaultsAndTask, // the defaults hold the value a new task starts with
    DefaultsOnly,    // the application's own settings (log, shut-down, projects)
    TaskOnly,        // the site login
};

// The kinds of value, for readers that need to name them.
enum class TOptionType : std::uint8_t { Bool, Int32, UInt8, Double, Text, TextList };

// A field of TRegOptions itself, or of its schedule TRegScheme.
using TOptionMember = std::variant<bool TRegOptions::*, std::int32_t TRegOptions::*, QString TRegOptions::*,
                                   QStringList TRegOptions::*, std::uint8_t TRegScheme::*,
                                   std::int32_t TRegScheme::*, double TRegScheme::*>;

// The schedule's fields sit in a group of this name: the sub-key
// "Options\Scheme" of the store and the object "Scheme" of the JSON.
inline constexpr const char *kSchemeGroup = "Scheme";

struct TOptionField {
    const char *Name;      // value name in the settings store, key in the JSON
    TOptionMember Member;
    qsizetype BlockOffset; // where the block holds it; -1 when it does not
    TOptionPlace Place;
    TOptionRole Role;

    constexpr bool InBlock() const { return Place != TOptionPlace::StoreOnly; }
    constexpr bool InStore() const { return Place != TOptionPlace::BlockOnly; }
    // A field of the schedule (group kSchemeGroup).
    constexpr bool InScheme() const;
    constexpr TOptionType Type() const;
    // Bytes the field takes in the block: 1 for a flag or SchemeType, 4, 8,
    // one text slot, or one list area of kListSlots slots.
    constexpr qsizetype BlockSize() const;

    // Calls visit(value) with a reference to this field of `options`.
    template <class Visitor>
    void Visit(TRegOptions &options, Visitor &&visit) const;
    template <class Visitor>
    void Visit(const TRegOptions &options, Visitor &&visit) const;
};

// Every field, in the order of the options block; the two fields the block
// does not hold (ProjectPath, DefaultTaskAdded) come after AutoSaveLog, where
// the settings store writes them. The store's value order, the block's offset
// order and the JSON key order all follow from this one order.
inline constexpr TOptionField kOptionFields[] = {
    {"DefaultFolder", &TRegOptions::DefaultFolder, 0, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"EnableFileLimit", &TRegOptions::EnableFileLimit, 1024, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"FileMaxSize", &TRegOptions::FileMaxSize, 1028, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"FileMinSize", &TRegOptions::FileMinSize, 1032, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"SeekDeep", &TRegOptions::SeekDeep, 1040, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"AutoShutDown", &TRegOptions::AutoShutDown, 1045, TOptionPlace::Both, TOptionRole::DefaultsOnly},
    {"UseProxyServer", &TRegOptions::UseProxyServer, 1046, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"ProxyServerAddr", &TRegOptions::ProxyServerAddr, 1047, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"ProxyServerPort", &TRegOptions::ProxyServerPort, 2072, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"ProxyLoginUserName", &TRegOptions::ProxyLoginUserName, 2076, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"ProxyLoginPassword", &TRegOptions::ProxyLoginPassword, 3100, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"DefaultLogFolder", &TRegOptions::DefaultLogFolder, 4124, TOptionPlace::Both, TOptionRole::DefaultsOnly},
    {"AutoSaveLog", &TRegOptions::AutoSaveLog, 5148, TOptionPlace::Both, TOptionRole::DefaultsOnly},
    {"ProjectPath", &TRegOptions::ProjectPath, -1, TOptionPlace::StoreOnly, TOptionRole::DefaultsOnly},
    {"DefaultTaskAdded", &TRegOptions::DefaultTaskAdded, -1, TOptionPlace::StoreOnly, TOptionRole::DefaultsOnly},
    {"FileMasks", &TRegOptions::FileMasks, 5149, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"ExcludeFiles", &TRegOptions::ExcludeFiles, 267293, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"SchemeType", &TRegScheme::SchemeType, 529437, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"SchemeCount", &TRegScheme::SchemeCount, 529440, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"SchemeStartDate", &TRegScheme::SchemeStartDate, 529448, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"SchemeStartTime", &TRegScheme::SchemeStartTime, 529456, TOptionPlace::Both, TOptionRole::DefaultsAndTask},
    {"NeedToLogin", &TRegOptions::NeedToLogin, 529464, TOptionPlace::BlockOnly, TOptionRole::TaskOnly},
    {"LoginUserName", &TRegOptions::LoginUserName, 529465, TOptionPlace::BlockOnly, TOptionRole::TaskOnly},
    {"LoginPassword", &TRegOptions::LoginPassword, 530489, TOptionPlace::BlockOnly, TOptionRole::TaskOnly},
};

inline std::span<const TOptionField> OptionFields()
{
    return kOptionFields;
}

// The field of that name, or null.
const TOptionField *FindOptionField(std::string_view name);

// Copies the fields of `role` from `source` into `target`; the others keep
// their values.
void CopyOptionFields(const TRegOptions &source, TRegOptions &target, TOptionRole role);

// ---------------------------------------------------------------------------

namespace OptionFieldDetail {

template <class Member>
struct MemberValue;
template <class T, class Of>
struct MemberValue<T Of::*> {
    using Type = T;
    using Owner = Of;
};

template <class T>
constexpr TOptionType TypeOf()
{
    if constexpr (std::is_same_v<T, bool>)
        return TOptionType::Bool;
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return TOptionType::Int32;
    else if constexpr (std::is_same_v<T, std::uint8_t>)
        return TOptionType::UInt8;
    else if constexpr (std::is_same_v<T, double>)
        return TOptionType::Double;
    else if constexpr (std::is_same_v<T, QString>)
        return TOptionType::Text;
    else
        return TOptionType::TextList;
}

template <class T>
T &Resolve(TRegOptions &options, T TRegOptions::*member)
{
    return options.*member;
}
template <class T>
T &Resolve(TRegOptions &options, T TRegScheme::*member)
{
    return options.Scheme.*member;
}
template <class T>
const T &Resolve(const TRegOptions &options, T TRegOptions::*member)
{
    return options.*member;
}
template <class T>
const T &Resolve(const TRegOptions &options, T TRegScheme::*member)
{
    return options.Scheme.*member;
}

} // namespace OptionFieldDetail

template <class Visitor>
void TOptionField::Visit(TRegOptions &options, Visitor &&visit) const
{
    std::visit([&](auto member) { visit(OptionFieldDetail::Resolve(options, member)); }, Member);
}

template <class Visitor>
void TOptionField::Visit(const TRegOptions &options, Visitor &&visit) const
{
    std::visit([&](auto member) { visit(OptionFieldDetail::Resolve(options, member)); }, Member);
}

constexpr bool TOptionField::InScheme() const
{
    return std::visit(
        [](auto member) {
            return std::is_same_v<typename OptionFieldDetail::MemberValue<decltype(member)>::Owner, TRegScheme>;
        },
        Member);
}

constexpr TOptionType TOptionField::Type() const
{
    return std::visit(
        [](auto member) {
            return OptionFieldDetail::TypeOf<typename OptionFieldDetail::MemberValue<decltype(member)>::Type>();
        },
        Member);
}

constexpr qsizetype TOptionField::BlockSize() const
{
    switch (Type()) {
    case TOptionType::Bool:
    case TOptionType::UInt8:
        return 1;
    case TOptionType::Int32:
        return 4;
    case TOptionType::Double:
        return 8;
    case TOptionType::Text:
        return TRegOptions::kSlotSize;
    case TOptionType::TextList:
        return TRegOptions::kListSlots * TRegOptions::kSlotSize;
    }
    return 0;
}
