#include "AppTestSupport.h"

#include "widgets/ErrorReport.h"
#include "app/MainForm.h"
#include "app/PowerOff.h"
#include "engine/ProgramHome.h"
#include "settings/RegSettings.h"

#include <QApplication>
#include <QTimer>

#include <atomic>

namespace {

std::atomic<int> g_powerOffs{0};

class TPowerOffRecorder : public TPowerOffService
{
public:
    void PowerOff() override { ++g_powerOffs; }
};

// Installed before main(): no test can reach the real power-off, even by
// mistake.
const bool g_recorderInstalled = [] {
    SetPowerOffService(std::make_unique<TPowerOffRecorder>());
    return true;
}();

} // namespace

int PowerOffRequests()
{
    Q_UNUSED(g_recorderInstalled);
    return g_powerOffs.load();
}

void ResetPowerOffRequests()
{
    g_powerOffs = 0;
}

TTempHome::TTempHome()
{
    SetProgramHome(Path());
}

QString TTempHome::Path() const
{
    return m_dir.path() + QLatin1Char('/');
}

void StoreSettings(const std::function<void(TRegSettings &)> &change)
{
    TRegSettings settings(ProgramHome());
    settings.Load();
    change(settings);
    settings.Save();
}

std::unique_ptr<TMainForm> MakeMainForm()
{
    auto form = std::make_unique<TMainForm>();
    form->LoadTipTimer->stop();
    return form;
}
