#pragma once

#include <QString>

#include <stdexcept>

// The one exception type of our own code. Failures travel as exceptions; the
// message is the complete text a user or script sees, naming the file or URL
// at fault.
class EZavelonError : public std::runtime_error
{
public:
    explicit EZavelonError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};
