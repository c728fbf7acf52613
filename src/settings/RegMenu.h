#pragma once

#include "engine/Persistent.h"

#include <cstdint>

// The view toggles and the picture-list order, kept in the settings store
// between runs.
class TRegMenu : public TPersistent
{
public:
    // Values of ImageSort.
    enum : std::uint8_t { isUnsorted = 0, isByName = 1, isBySize = 2 };

    TRegMenu() = default;
    TRegMenu(const TRegMenu &) = default;
    TRegMenu &operator=(const TRegMenu &) = default;

    // Copies every field from another TRegMenu; any other source is refused
    // with the assignment error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TRegMenu"); }

    bool ShowStatePanel = true;       // "State"
    bool ShowStandardToolBar = true;  // "Standard tool bar"
    bool ShowAllFiles = true;         // "Show All": the task tree lists every file
    bool FitImages = false;           // "Zoom": the preview fits the picture
    std::uint8_t ImageSort = isUnsorted;
};
