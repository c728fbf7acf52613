#include "support/WidgetTestSupport.h"

#include "engine/ProgramHome.h"
#include "widgets/ErrorReport.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QTimer>

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
                         if (!modal || !modal->isVisible())
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

std::unique_ptr<TModalHandler> AnswerModal(std::function<void(QWidget *modal)> action)
{
    return std::make_unique<TModalHandler>([action = std::move(action)](QWidget *modal) {
        action(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && dialog->isVisible())
            dialog->reject();
    });
}
