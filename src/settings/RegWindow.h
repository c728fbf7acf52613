#pragma once

#include "engine/Persistent.h"

#include <cstdint>

// The main window's placement, two interface flags and the tip position, kept
// in the settings store between runs.
class TRegWindow : public TPersistent
{
public:
    // Values of State.
    enum : std::uint8_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

    TRegWindow() = default;
    TRegWindow(const TRegWindow &) = default;
    TRegWindow &operator=(const TRegWindow &) = default;

    // Copies every field from another TRegWindow; any other source is refused
    // with the assignment error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TRegWindow"); }

    // The state the window takes: State when it is one of the three, else
    // normal. A value no window state has (a hand-edited or foreign store)
    // must not keep the rest of the window's settings from applying.
    std::uint8_t KnownState() const
    {
        return State <= wsMaximized ? State : std::uint8_t(wsNormal);
    }

    std::int32_t Height = 400;   // pixels
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Width = 600;
    std::uint8_t State = wsNormal; // as stored; see KnownState
    bool ShowMinPrompt = true;   // prompt when the window closes into the tray
    bool ShowTip = true;         // tip of the day at start
    std::int32_t TipIndex = 0;   // the next tip
};
