#include "app/PowerOff.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

std::unique_ptr<TPowerOffService> &CurrentService()
{
    static std::unique_ptr<TPowerOffService> service;
    return service;
}

} // namespace

void TLogin1PowerOff::PowerOff()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    // Not interactive: no authentication dialog; a refusal is simply ignored.
    call << false;
    QDBusConnection::systemBus().call(call, QDBus::NoBlock);
}

std::unique_ptr<TPowerOffService> SetPowerOffService(std::unique_ptr<TPowerOffService> service)
{
    std::unique_ptr<TPowerOffService> previous = std::move(CurrentService());
    CurrentService() = std::move(service);
    return previous;
}

void ShutdownComputer()
{
    if (!CurrentService())
        CurrentService() = std::make_unique<TLogin1PowerOff>();
    CurrentService()->PowerOff();
}
