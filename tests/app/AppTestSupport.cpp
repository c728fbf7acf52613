#include "AppTestSupport.h"

#include "widgets/ErrorReport.h"
#include "app/MainForm.h"
#include "app/PowerOff.h"
#include "images/ui/DesktopWallpaper.h"
#include "images/ui/UrlOpener.h"
#include "engine/ProgramHome.h"
#include "settings/RegSettings.h"

#include <QFile>

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

// The desktop's wallpaper programs are never run from a window test: a
// desktop that is not there has no wallpaper to change.
class TNoDesktop : public TCommandRunner
{
public:
    bool HasDesktop() const override { return false; }
    bool Exists(const QString &) const override { return false; }
    TCommandResult Run(const QString &, const QStringList &) override { return {}; }
};

// Installed before main(): no test can reach the real power-off, the real
// wallpaper or the desktop's file manager, even by mistake.
const bool g_recorderInstalled = [] {
    SetPowerOffService(std::make_unique<TPowerOffRecorder>());
    SetCommandRunner(std::make_unique<TNoDesktop>());
    SetUrlOpener([](const QUrl &) { return true; });
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

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
