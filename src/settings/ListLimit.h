#pragma once

#include "engine/RegOptions.h"

#include <QString>

// The mask and exclude lists of the editors hold at most as many entries as
// a project file has slots for; adding to a full list is refused with this
// message, so no entry is ever dropped silently when the task is saved.
inline constexpr qsizetype kMaxListEntries = TRegOptions::kListSlots;

inline bool IsListFull(qsizetype count)
{
    return count >= kMaxListEntries;
}

inline const QString kListFullMessage =
    QStringLiteral("This list is full: it holds at most %1 entries. Delete an entry before adding another.")
        .arg(kMaxListEntries);
