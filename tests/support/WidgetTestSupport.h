#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QWidget;

// What every test of windows needs: error reports recorded instead of shown,
// a temporary home, and a way to answer the modal dialog a click opens.

// Error reports recorded instead of shown as message boxes.
class TErrorLog
{
public:
    TErrorLog();
    ~TErrorLog();
    QStringList Texts;
};

// A temporary program home, set as ProgramHome() for the test's duration.
class TTempHome
{
public:
    TTempHome();
    QString Path() const; // ends with "/"
    bool IsValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

// Runs `action` on the next modal widget that opens (polling the event loop),
// once. The handler stays armed until a modal widget appeared or it is
// destroyed; Fired() tells whether it ran.
class TModalHandler
{
public:
    explicit TModalHandler(std::function<void(QWidget *modal)> action);
    ~TModalHandler();
    bool Fired() const { return *m_fired; }

private:
    std::shared_ptr<bool> m_fired;
    std::shared_ptr<bool> m_armed;
};

// Answers the next modal dialog with `action` and rejects it if the action
// left it open, so that a failed check does not hang the test.
std::unique_ptr<TModalHandler> AnswerModal(std::function<void(QWidget *modal)> action);
