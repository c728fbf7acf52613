#include "settings/RegSettings.h"
#include "settings/RegWindow.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// One window state no window has must not cost the settings read with it:
// the rest of the store applies, and the window takes the normal state.
TEST(RegWindow, UnknownStateCountsAsNormalAndTheRestApplies)
{
    QTemporaryDir home;
    {
        TRegSettings settings(home.path());
        settings.Load();
        settings.Window.State = 7;
        settings.Window.Left = 40;
        settings.Menu.FitImages = true;
        settings.Options.SeekDeep = 12;
        settings.Save();
    }
    TRegSettings loaded(home.path());
    loaded.Load();
    EXPECT_EQ(loaded.Window.State, 7); // kept as stored
    EXPECT_EQ(loaded.Window.KnownState(), TRegWindow::wsNormal);
    EXPECT_EQ(loaded.Window.Left, 40);
    EXPECT_TRUE(loaded.Menu.FitImages);
    EXPECT_EQ(loaded.Options.SeekDeep, 12);
    for (const std::uint8_t state : {TRegWindow::wsNormal, TRegWindow::wsMinimized, TRegWindow::wsMaximized}) {
        loaded.Window.State = state;
        EXPECT_EQ(loaded.Window.KnownState(), state);
    }
    loaded.Window.State = 3;
    EXPECT_EQ(loaded.Window.KnownState(), TRegWindow::wsNormal);
}
