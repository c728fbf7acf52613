#include "cli/HeadlessRun.h"

#include "cli/Command.h"
#include "engine/Errors.h"
#include "session/DownloadSession.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace {

QString ErrorText(const std::exception &error)
{
    const auto *own = dynamic_cast<const EZavelonError *>(&error);
    return own ? own->message() : QString::fromUtf8(error.what());
}

} // namespace

bool TRunResult::Failed() const
{
    return Refused || !Failures.isEmpty() || Counts.LocalFailures > 0 || !Counts.StartFailure.isEmpty();
}

QString TRunResult::Summary() const
{
    if (Refused)
        return Refusal;
    QString text = QStringLiteral("%1 picture(s) saved, %2 failed").arg(Counts.PicturesSaved).arg(Counts.PicturesFailed);
    if (Counts.PagesFailed > 0)
        text += QStringLiteral(", %1 page(s) failed").arg(Counts.PagesFailed);
    if (Counts.LocalFailures > 0)
        text += QStringLiteral("; %1 file(s) could not be written here, the first: %2")
                    .arg(Counts.LocalFailures)
                    .arg(Counts.FirstLocalFailure);
    if (!Counts.StartFailure.isEmpty())
        text += QStringLiteral("; the start address could not be fetched: %1").arg(Counts.StartFailure);
    return text;
}

THeadlessRunner::THeadlessRunner(TDownloadSession &session)
    : m_session(session)
    , m_signals([this](int signal) { Stop(signal == SIGTERM ? kExitSigTerm : kExitSigInt); })
{
}

void THeadlessRunner::Stop(int code)
{
    if (m_stopCode != 0)
        return;
    m_stopCode = code;
    // A stop must be quick: pictures still being measured stay in the
    // library's journal and are measured at the next start.
    try {
        m_session.ShutDown(TDownloadSession::TPendingPictures::Drop);
    } catch (const std::exception &error) {
        m_stopFailures << ErrorText(error);
    }
    m_session.FinishEndedWorkers();
    QCoreApplication::exit(code);
}

TRunResult THeadlessRunner::Run(TTask *task, bool scheduled)
{
    TRunResult result;
    if (m_stopCode != 0)
        return result;
    const QMetaObject::Connection finished = QObject::connect(
        &m_session, &TDownloadSession::TaskFinished, [task](TTask *ended) {
            if (ended == task)
                QCoreApplication::exit(kExitOk);
        });
    const QMetaObject::Connection errors = QObject::connect(
        &m_session, &TDownloadSession::Error, [&result](const QString &text) { result.Failures << text; });
    QTimer::singleShot(0, &m_session, [&] {
        // A stop that came in the same turn of the loop has shut the session.
        if (m_stopCode != 0)
            return;
        const TDownloadSession::TStartResult started =
            scheduled ? m_session.RunScheduled(task) : m_session.RunTask(task);
        if (started == TDownloadSession::TStartResult::HeldElsewhere) {
            result.Refused = true;
            result.Refusal = m_session.LastRefusal();
            QCoreApplication::exit(kExitFailed);
        }
    });
    QCoreApplication::exec();
    QObject::disconnect(finished);
    QObject::disconnect(errors);
    result.Failures << std::exchange(m_stopFailures, {});
    result.Counts = task->RunCounts();
    return result;
}
