#include "engine/OptionFields.h"

namespace {

// The block's fields follow each other without overlap and end inside it,
// with the last seven bytes left as padding.
constexpr bool BlockLayoutIsSound()
{
    qsizetype end = 0;
    for (const TOptionField &field : kOptionFields) {
        if (!field.InBlock())
            continue;
        if (field.BlockOffset < end)
            return false;
        end = field.BlockOffset + field.BlockSize();
    }
    return end + 7 == TRegOptions::kBlockSize;
}
static_assert(BlockLayoutIsSound());

} // namespace

const TOptionField *FindOptionField(std::string_view name)
{
    for (const TOptionField &field : kOptionFields) {
        if (name == field.Name)
            return &field;
    }
    return nullptr;
}

void CopyOptionFields(const TRegOptions &source, TRegOptions &target, TOptionRole role)
{
    for (const TOptionField &field : kOptionFields) {
        if (field.Role != role)
            continue;
        std::visit([&](auto member) {
            OptionFieldDetail::Resolve(target, member) = OptionFieldDetail::Resolve(source, member);
        }, field.Member);
    }
}
