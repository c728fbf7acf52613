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

TErrorLog::TErrorLog()
{
    SetErrorReporter([this](QWidget *, const QString &text) { Texts.append(text); });
}

TErrorLog::~TErrorLog()
{
    SetErrorReporter({});
}

TTempHome::TTempHome()
{
    SetProgramHome(Path());
}

QString TTempHome::Path() const
{
    return m_dir.path() + QLatin1Char('/');
}

TModalHandler::TModalHandler(std::function<void(QWidget *modal)> action)
    : m_fired(std::make_shared<bool>(false))
    , m_armed(std::make_shared<bool>(true))
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, action = std::move(action), fired = m_fired, armed = m_armed] {
                         if (!*armed) {
                             timer->deleteLater();
                             return;
                         }
                         QWidget *modal = QApplication::activeModalWidget();
                         if (!modal)
                             return;
                         *armed = false;
                         *fired = true;
                         timer->stop();
                         timer->deleteLater();
                         action(modal);
                     });
    timer->start();
}

TModalHandler::~TModalHandler()
{
    *m_armed = false;
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
