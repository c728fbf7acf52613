#include "app/SingleInstance.h"

#include "engine/Errors.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Qt's own switches that take a value: their value is no address.
bool TakesValue(const QString &argument)
{
    static const QStringList names = {
        QStringLiteral("style"),          QStringLiteral("stylesheet"), QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"),
        QStringLiteral("display"),        QStringLiteral("geometry"),   QStringLiteral("title"),
        QStringLiteral("name"),           QStringLiteral("session"),    QStringLiteral("home"),
    };
    QString name = argument;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    return !name.contains(QLatin1Char('=')) && names.contains(name);
}

} // namespace

TInstanceLock::TInstanceLock(const QString &home)
    : m_home(home)
{
}

TInstanceLock::~TInstanceLock() = default;

TInstanceLock::TState TInstanceLock::Acquire()
{
    try {
        m_lock = std::make_unique<QLockFile>(InstanceLockPath(m_home));
    } catch (const EZavelonError &error) {
        m_error = error.message();
        return TState::Unavailable;
    }
    // Held for the program's whole life: only a dead holder makes it stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return TState::Acquired;
    if (m_lock->error() == QLockFile::LockFailedError)
        return TState::HeldElsewhere;
    m_error = QStringLiteral("Cannot create the lock \"%1\".").arg(InstanceLockPath(m_home));
    return TState::Unavailable;
}

std::optional<THandOverRequest> StartRequest(const QStringList &arguments, QString *error)
{
    QStringList addresses;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-'))) {
            if (TakesValue(argument))
                ++i;
            continue;
        }
        addresses.append(argument);
    }
    error->clear();
    if (addresses.isEmpty())
        return THandOverRequest::Show();
    if (addresses.size() > 1) {
        *error = QStringLiteral("Only one address can be handed over: %1").arg(addresses.join(QLatin1Char(' ')));
        return std::nullopt;
    }
    const std::optional<QString> url = CheckHandOverUrl(addresses.first(), error);
    if (!url)
        return std::nullopt;
    return THandOverRequest::CreateUrl(*url);
}

int HandOverToRunningProgram(int argc, char **argv, const QString &home, const THandOverRequest &request)
{
    QCoreApplication app(argc, argv);
    const THandOverReply reply = THandOverClient(home, QString()).Send(request);
    switch (reply.Result) {
    case THandOverResult::Started:
    case THandOverResult::Shown:
    case THandOverResult::Cancelled:
        return 0;
    case THandOverResult::Refused:
    case THandOverResult::Error:
        break;
    }
    std::fprintf(stderr, "zavelon: %s\n", reply.Message.toLocal8Bit().constData());
    return 1;
}
